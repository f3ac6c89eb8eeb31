#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "LineEditor.h"

namespace txl::devserver {

// Lines from standard input, read on a thread of their own so the game thread never blocks on
// the console for longer than it asks. On a terminal they come through the line editor.
class ConsoleInput {
  public:
    explicit ConsoleInput(const LineEditorSettings& editing);
    // The editor is stopped and its reader waited for; a plain reader may be blocked in a read
    // and is left to end with the process.
    ~ConsoleInput();
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;

    // A complete line when one arrives within `timeout`; nothing on timeout or once the input
    // has ended (see Ended). A last line without its newline still counts.
    std::optional<std::string> NextLine(std::chrono::milliseconds timeout);
    bool Ended() const;

    struct Lines;

  private:
    std::shared_ptr<Lines> lines_;
    std::shared_ptr<LineEditor> editor_;
    std::thread editorReader_;
};

}  // namespace txl::devserver
