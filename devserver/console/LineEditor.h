#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace txl::devserver {

struct LineEditorSettings {
    std::vector<std::string> words;  // command names offered by completion
    bool history = true;             // keep the typed lines in ~/.txl-devserver_history
};

// The console on a terminal: a prompt, line editing, history and completion. What the program
// writes to standard output (and to standard error, when that is the same terminal) while a line
// is typed appears above the prompt, which is then drawn again with the typed text. Only where
// the line-editing library was found at build time; Windows keeps its console's own editing.
class LineEditor {
  public:
    // Nothing when standard input or output is no terminal, or when no editor is built in.
    static std::unique_ptr<LineEditor> Open(const LineEditorSettings& settings);
    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // One thread only: the next line; nothing once input has ended or Stop was called, and from
    // then on output goes straight to the terminal again.
    std::optional<std::string> ReadLine();
    // Any thread: ends the ReadLine under way and every later one.
    void Stop();

    struct State;

  private:
    explicit LineEditor(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace txl::devserver
