#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace txl::devserver {

// Owns one file descriptor.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    void Reset();

  private:
    int fd_ = -1;
};

struct RconListener {
    UniqueFd fd;
    uint16_t port = 0;
};

struct RconPeer {
    UniqueFd fd;
    // Host only: wrong-password throttling is per address, not per port.
    std::string host;
    // host:port, for log lines.
    std::string label;
};

// Non-blocking listening socket on a numeric address; throws std::system_error.
RconListener OpenRconListener(const std::string& bindAddress, uint16_t port);

// Accepts one pending connection as a non-blocking, no-delay socket; fd invalid when none is
// waiting or the accept failed.
RconPeer AcceptRconPeer(int listenFd);

}  // namespace txl::devserver
