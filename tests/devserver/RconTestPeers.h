#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include <asio/buffer.hpp>
#include <asio/error.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/address.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/write.hpp>

#include "RconPacket.h"
#include "RconServer.h"

namespace txl::devserver::rcontest {

constexpr int32_t kResponseValue = 0;
constexpr int32_t kExec = 2;
constexpr int32_t kAuthResponse = 2;
constexpr int32_t kAuth = 3;

using WirePacket = RconPacket;

// Built by hand so the wire format is checked independently of the server's codec.
inline std::string WireBytes(int32_t size, int32_t id, int32_t type, std::string_view tail) {
    std::string out;
    for (int32_t value : {size, id, type})
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xFF));
    return out.append(tail);
}

inline std::string WirePacketBytes(int32_t id, int32_t type, std::string_view body) {
    return WireBytes(static_cast<int32_t>(body.size() + 10), id, type,
                     std::string(body).append(2, '\0'));
}

// Commands with ids 1..count in one stream, as a pipelining client writes them.
inline std::string Pipeline(int count, std::string_view command) {
    std::string bytes;
    for (int id = 1; id <= count; ++id) bytes += WirePacketBytes(id, kExec, command);
    return bytes;
}

// Loopback client with bounded waits: a broken server fails a test rather than hanging it.
class RconTestClient {
  public:
    explicit RconTestClient(uint16_t port, const char* sourceAddress = "127.0.0.1") : socket_(io_) {
        std::error_code error;
        socket_.open(asio::ip::tcp::v4(), error);
        if (!error) socket_.bind({asio::ip::make_address(sourceAddress), 0}, error);
        if (error) return;
        socket_.connect({asio::ip::make_address("127.0.0.1"), port}, error);
        connected_ = !error;
        // Small writes must reach the server as separate segments to exercise reassembly.
        socket_.set_option(asio::ip::tcp::no_delay(true), error);
    }

    bool Connected() const { return connected_; }
    void Close() { socket_.close(ignored_); }

    bool SendRaw(std::string_view bytes) {
        socket_.non_blocking(false, ignored_);
        std::error_code error;
        asio::write(socket_, asio::buffer(bytes.data(), bytes.size()), error);
        return !error;
    }
    bool Send(int32_t id, int32_t type, std::string_view body) {
        return SendRaw(WirePacketBytes(id, type, body));
    }

    // nullopt when the server closed the connection or nothing came in time.
    std::optional<WirePacket> Read(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            if (buffer_.size() >= 12) {
                const auto size = static_cast<std::size_t>(Int32At(0));
                if (buffer_.size() >= size + 4) {
                    WirePacket packet{Int32At(4), Int32At(8), buffer_.substr(12, size - 10)};
                    buffer_.erase(0, size + 4);
                    return packet;
                }
            }
            if (Receive(deadline) != Received::Data) return std::nullopt;
        }
    }

    // True once the server has closed the connection without sending anything more.
    bool WaitForClose() {
        return buffer_.empty() && Receive(std::chrono::steady_clock::now() +
                                          std::chrono::seconds(5)) == Received::Closed;
    }

    bool Authenticate(const std::string& password, int32_t id = 1) {
        Send(id, kAuth, password);
        const auto answer = Read();
        return answer && answer->type == kAuthResponse && answer->id == id;
    }

    // Body of the first reply packet, if it carries the request id.
    std::optional<std::string> Execute(int32_t id, const std::string& command) {
        Send(id, kExec, command);
        auto answer = Read();
        if (!answer || answer->type != kResponseValue || answer->id != id) return std::nullopt;
        return std::move(answer->body);
    }

  private:
    int32_t Int32At(std::size_t offset) const {
        uint32_t bits = 0;
        for (std::size_t i = 0; i < 4; ++i)
            bits |= uint32_t{static_cast<unsigned char>(buffer_[offset + i])} << (8 * i);
        return static_cast<int32_t>(bits);
    }

    enum class Received { Data, Closed, Nothing };

    // Appends what arrives to the buffer. A reset counts as closed. Polls, as blocking reads
    // cannot time out portably.
    Received Receive(std::chrono::steady_clock::time_point deadline) {
        socket_.non_blocking(true, ignored_);
        char chunk[8192];
        while (true) {
            std::error_code error;
            const std::size_t got = socket_.read_some(asio::buffer(chunk), error);
            if (!error) {
                buffer_.append(chunk, got);
                return Received::Data;
            }
            if (error != asio::error::would_block && error != asio::error::try_again)
                return Received::Closed;
            if (std::chrono::steady_clock::now() >= deadline) return Received::Nothing;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    asio::io_context io_;
    asio::ip::tcp::socket socket_;
    std::error_code ignored_;
    bool connected_ = false;
    std::string buffer_;
};

inline std::string Echo(const std::string& command) {
    return "ran " + command;
}

inline RconServerOptions TestOptions() {
    RconServerOptions options;
    options.password = "hunter2";
    return options;
}

// A running server plus a stand-in game thread that drains it, as the dev server's loop would.
class RconTestServer {
  public:
    explicit RconTestServer(RconServerOptions options = TestOptions(),
                            RconCommandHandler handler = Echo)
        : server_(std::move(options), Record(std::move(handler)), [this](const std::string& line) {
              std::lock_guard lock(mutex_);
              log_.push_back(line);
          }) {
        server_.Start();
        game_ = std::thread([this] {
            onGameThread = true;
            while (!stopping_.load()) {
                server_.WaitForPending(std::chrono::milliseconds(200));
                server_.ProcessPending();
            }
        });
    }
    ~RconTestServer() {
        stopping_.store(true);
        server_.Wake();
        game_.join();
        server_.Stop();
    }

    uint16_t Port() const { return server_.BoundPort(); }
    RconServerStatistics Statistics() const { return server_.Statistics(); }
    std::vector<std::string> Commands() {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    // Log lines that end with `text`.
    std::size_t Logged(const std::string& text) {
        std::lock_guard lock(mutex_);
        return std::count_if(log_.begin(), log_.end(),
                             [&](const std::string& line) { return line.ends_with(text); });
    }
    bool AllRanOnGameThread() const { return ranElsewhere_.load() == 0; }

  private:
    static inline thread_local bool onGameThread = false;

    RconCommandHandler Record(RconCommandHandler handler) {
        return [this, handler = std::move(handler)](const std::string& command) {
            ranElsewhere_ += onGameThread ? 0 : 1;
            std::lock_guard lock(mutex_);
            commands_.push_back(command);
            return handler(command);
        };
    }

    std::mutex mutex_;
    std::vector<std::string> commands_;
    std::vector<std::string> log_;
    std::atomic<int> ranElsewhere_{0};
    std::atomic<bool> stopping_{false};
    std::thread game_;
    RconServer server_;
};

}  // namespace txl::devserver::rcontest
