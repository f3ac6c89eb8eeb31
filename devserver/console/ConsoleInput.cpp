#include "ConsoleInput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace txl::devserver {

std::optional<std::string> ConsoleInput::TakeLine() {
    auto newline = buffer_.find('\n');
    if (newline == std::string::npos) {
        if (!ended_ || buffer_.empty()) return std::nullopt;
        newline = buffer_.size();
    }
    std::string line = buffer_.substr(0, newline);
    buffer_.erase(0, newline + 1 <= buffer_.size() ? newline + 1 : buffer_.size());
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<std::string> ConsoleInput::NextLine(std::chrono::milliseconds timeout) {
    if (auto line = TakeLine()) return line;
    if (ended_) return std::nullopt;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    int ready = ::poll(&input, 1, static_cast<int>(timeout.count()));
    if (ready <= 0) return std::nullopt;  // timeout, or a signal to look at
    char chunk[4096];
    ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) return std::nullopt;
    if (count <= 0) {
        ended_ = true;
    } else {
        buffer_.append(chunk, static_cast<std::size_t>(count));
    }
    return TakeLine();
}

}  // namespace txl::devserver
