#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace txl::devserver {

// Lines from standard input, read on a thread of their own so the game thread never blocks on
// the console for longer than it asks.
class ConsoleInput {
  public:
    ConsoleInput();
    // The reader may be blocked in a read; it is left to end with the process.
    ~ConsoleInput() = default;
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;

    // A complete line when one arrives within `timeout`; nothing on timeout or once the input
    // has ended (see Ended). A last line without its newline still counts.
    std::optional<std::string> NextLine(std::chrono::milliseconds timeout);
    bool Ended() const;

    struct Lines;

  private:
    std::shared_ptr<Lines> lines_;
};

}  // namespace txl::devserver
