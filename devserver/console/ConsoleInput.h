#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace txl::devserver {

// Lines from standard input, read without blocking the game thread for longer than asked.
class ConsoleInput {
  public:
    // A complete line when one arrives within `timeout`; nothing on timeout, on a signal, or
    // once the input has ended (see Ended). A last line without its newline still counts.
    std::optional<std::string> NextLine(std::chrono::milliseconds timeout);
    bool Ended() const { return ended_ && buffer_.empty(); }

  private:
    std::optional<std::string> TakeLine();

    std::string buffer_;
    bool ended_ = false;
};

}  // namespace txl::devserver
