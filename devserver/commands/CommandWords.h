#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace txl::devserver {

// A command that cannot run as written; the interpreter prints its message as one line.
class CommandError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A command line split into words. Double quotes group words ("a b" or key="a b"); inside
// them \" and \\ stand for themselves. An unterminated quote runs to the end of the line;
// callers that take the line as raw text may accept it, others refuse it.
class CommandWords {
  public:
    explicit CommandWords(const std::string& line);

    std::size_t Size() const { return words_.size(); }
    bool Empty() const { return words_.empty(); }
    const std::string& operator[](std::size_t index) const { return words_.at(index); }
    // The line as typed from word `index` on, quotes untouched.
    std::string RawFrom(std::size_t index) const;
    const std::string& Line() const { return line_; }
    bool UnterminatedQuote() const { return unterminatedQuote_; }

  private:
    std::string line_;
    std::vector<std::string> words_;
    std::vector<std::size_t> starts_;
    bool unterminatedQuote_ = false;
};

}  // namespace txl::devserver
