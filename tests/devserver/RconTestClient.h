#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace txl::devserver::rcontest {

constexpr int32_t kResponseValue = 0;
constexpr int32_t kExec = 2;
constexpr int32_t kAuthResponse = 2;
constexpr int32_t kAuth = 3;

struct WirePacket {
    int32_t id = 0;
    int32_t type = 0;
    std::string body;
};

// Built by hand so the wire format is checked independently of the server's codec.
inline std::string WireBytes(int32_t size, int32_t id, int32_t type, std::string_view tail) {
    std::string out;
    for (int32_t value : {size, id, type}) {
        for (int shift = 0; shift < 32; shift += 8) {
            out.push_back(static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xFF));
        }
    }
    return out.append(tail);
}

inline std::string WirePacketBytes(int32_t id, int32_t type, std::string_view body) {
    return WireBytes(static_cast<int32_t>(body.size() + 10), id, type,
                     std::string(body).append(2, '\0'));
}

// Blocking loopback client whose waits are bounded, so a broken server fails a test instead of
// hanging it.
class RconTestClient {
  public:
    explicit RconTestClient(uint16_t port, const char* sourceAddress = "127.0.0.1")
        : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        inet_pton(AF_INET, sourceAddress, &address.sin_addr);
        if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            return;
        }
        inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
        address.sin_port = htons(port);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        // Small writes must reach the server as separate segments to exercise reassembly.
        const int on = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ~RconTestClient() { Close(); }
    RconTestClient(const RconTestClient&) = delete;
    RconTestClient& operator=(const RconTestClient&) = delete;

    bool Connected() const { return connected_; }
    void Close() {
        if (fd_ >= 0) {
            close(std::exchange(fd_, -1));
        }
    }

    bool SendRaw(std::string_view bytes) {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    bool Send(int32_t id, int32_t type, std::string_view body) {
        return SendRaw(WirePacketBytes(id, type, body));
    }

    // nullopt when the server closed the connection or nothing came in time.
    std::optional<WirePacket> Read(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        while (true) {
            if (buffer_.size() >= 12) {
                const auto size = static_cast<std::size_t>(Int32At(0));
                if (buffer_.size() >= size + 4) {
                    WirePacket packet{Int32At(4), Int32At(8), buffer_.substr(12, size - 10)};
                    buffer_.erase(0, size + 4);
                    return packet;
                }
            }
            pollfd pfd{fd_, POLLIN, 0};
            char chunk[8192];
            if (poll(&pfd, 1, static_cast<int>(timeout.count())) <= 0) {
                return std::nullopt;
            }
            const ssize_t got = recv(fd_, chunk, sizeof chunk, 0);
            if (got <= 0) {
                return std::nullopt;
            }
            buffer_.append(chunk, static_cast<std::size_t>(got));
        }
    }

    // True once the server has closed the connection without sending anything more.
    bool WaitForClose() {
        pollfd pfd{fd_, POLLIN, 0};
        char byte = 0;
        return buffer_.empty() && poll(&pfd, 1, 5000) == 1 && recv(fd_, &byte, 1, 0) <= 0;
    }

    bool Authenticate(const std::string& password, int32_t id = 1) {
        Send(id, kAuth, password);
        const auto answer = Read();
        return answer && answer->type == kAuthResponse && answer->id == id;
    }

    // Body of the first reply packet, if it carries the request id.
    std::optional<std::string> Execute(int32_t id, const std::string& command) {
        Send(id, kExec, command);
        const auto answer = Read();
        if (!answer || answer->type != kResponseValue || answer->id != id) {
            return std::nullopt;
        }
        return answer->body;
    }

  private:
    int32_t Int32At(std::size_t offset) const {
        uint32_t bits = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            bits |= static_cast<uint32_t>(static_cast<unsigned char>(buffer_[offset + i]))
                    << (8 * i);
        }
        return static_cast<int32_t>(bits);
    }

    int fd_;
    bool connected_ = false;
    std::string buffer_;
};

}  // namespace txl::devserver::rcontest
