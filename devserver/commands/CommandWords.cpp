#include "CommandWords.h"

namespace txl::devserver {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

CommandWords::CommandWords(const std::string& line) : line_(line) {
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        starts_.push_back(i);
        std::string word;
        bool quoted = false;
        for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
            char c = line[i];
            if (c == '"') {
                quoted = !quoted;
            } else if (quoted && c == '\\' && i + 1 < line.size() &&
                       (line[i + 1] == '"' || line[i + 1] == '\\')) {
                word += line[++i];
            } else {
                word += c;
            }
        }
        unterminatedQuote_ = unterminatedQuote_ || quoted;
        words_.push_back(word);
    }
}

std::string CommandWords::RawFrom(std::size_t index) const {
    if (index >= starts_.size()) return {};
    std::string rest = line_.substr(starts_[index]);
    while (!rest.empty() && IsBlank(rest.back())) rest.pop_back();
    return rest;
}

}  // namespace txl::devserver
