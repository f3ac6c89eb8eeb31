#include "RconNetworkLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace txl::devserver {
namespace {

// Past these a client that keeps sending without reading its answers is left unread for a while.
constexpr std::size_t kMaxOutstandingRequests = 64;
constexpr std::size_t kMaxQueuedOutputBytes = 1 << 20;
// Bounds the time one chatty client can hold the thread before others get a turn.
constexpr int kMaxReadsPerWakeup = 4;
constexpr std::size_t kReadChunkBytes = 16384;

}  // namespace

RconNetworkLoop::RconNetworkLoop(const RconServerOptions& options, RconListener listener,
                                 RconCommandQueue& queue, const RconLogger& log)
    : options_(options),
      listener_(std::move(listener)),
      queue_(queue),
      log_(log),
      throttle_(options.authThrottle),
      wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (!wakeFd_.Valid()) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
}

void RconNetworkLoop::Run() {
    Log("rcon: listening on " + options_.bindAddress + ":" + std::to_string(listener_.port));
    while (!stopRequested_.load()) {
        Poll();
    }
    for (const Client& client : clients_) {
        Log("rcon: " + client.peer.label + " closed: server stopping");
    }
    clients_.clear();
    listener_.fd.Reset();
}

void RconNetworkLoop::RequestStop() noexcept {
    stopRequested_.store(true);
    Signal();
}

void RconNetworkLoop::PostReply(RconReply reply) {
    {
        std::lock_guard lock(repliesMutex_);
        replies_.push_back(std::move(reply));
    }
    Signal();
}

void RconNetworkLoop::Poll() {
    std::vector<pollfd> fds;
    fds.reserve(clients_.size() + 2);
    fds.push_back({wakeFd_.Get(), POLLIN, 0});
    fds.push_back({listener_.fd.Get(), POLLIN, 0});
    for (const Client& client : clients_) {
        short events = WantsInput(client) ? POLLIN : 0;
        if (!client.outgoing.empty()) {
            events |= POLLOUT;
        }
        fds.push_back({client.peer.fd.Get(), events, 0});
    }
    if (poll(fds.data(), fds.size(), PollTimeoutMs(Clock::now())) < 0) {
        if (errno != EINTR) {
            Log(std::string("rcon: poll failed: ") + std::strerror(errno));
            stopRequested_.store(true);
        }
        return;
    }
    if (fds[0].revents != 0) {
        uint64_t count = 0;
        [[maybe_unused]] const auto got = read(wakeFd_.Get(), &count, sizeof count);
    }
    if (stopRequested_.load()) {
        return;
    }
    const auto now = Clock::now();
    DeliverReplies();
    // Only clients that were polled have a matching entry; accepted ones are appended after.
    const std::size_t polled = clients_.size();
    for (std::size_t i = 0; i < polled; ++i) {
        const short revents = fds[i + 2].revents;
        if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            clients_[i].failed = true;
        } else if ((revents & POLLIN) != 0) {
            ReadFrom(clients_[i], now);
        }
    }
    if ((fds[1].revents & POLLIN) != 0) {
        AcceptClients(now);
    }
    for (Client& client : clients_) {
        Flush(client, now);
    }
    Reap(now);
}

int RconNetworkLoop::PollTimeoutMs(Clock::time_point now) const {
    std::optional<Clock::time_point> earliest;
    const auto consider = [&](Clock::time_point at) {
        if (!earliest || at < *earliest) {
            earliest = at;
        }
    };
    for (const Client& client : clients_) {
        if (client.session->Outstanding() == 0) {
            consider(client.lastReceived + options_.idleTimeout);
        }
        if (const auto deadline = client.session->NextDeadline()) {
            consider(*deadline);
        }
    }
    if (!earliest) {
        return -1;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*earliest - now).count();
    return static_cast<int>(std::clamp<long long>(wait, 0, 60'000));
}

bool RconNetworkLoop::WantsInput(const Client& client) const {
    return !client.peerClosed && !client.session->Finishing() && !client.session->Broken() &&
           client.session->Outstanding() < kMaxOutstandingRequests &&
           client.outgoingBytes < kMaxQueuedOutputBytes;
}

void RconNetworkLoop::DeliverReplies() {
    std::vector<RconReply> replies;
    {
        std::lock_guard lock(repliesMutex_);
        replies.swap(replies_);
    }
    for (const RconReply& reply : replies) {
        const auto client = std::find_if(clients_.begin(), clients_.end(), [&](const Client& c) {
            return c.id == reply.connectionId;
        });
        // The client may have gone while the game thread worked; its answer has nowhere to go.
        if (client != clients_.end()) {
            client->session->Complete(reply.sequence, reply.text);
        }
    }
}

void RconNetworkLoop::AcceptClients(Clock::time_point now) {
    while (true) {
        RconPeer peer = AcceptRconPeer(listener_.fd.Get());
        if (!peer.fd.Valid()) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                Log(std::string("rcon: accept failed: ") + std::strerror(errno));
            }
            return;
        }
        if (clients_.size() >= options_.maxConnections) {
            Log("rcon: " + peer.label + " refused: too many connections");
            continue;
        }
        Log("rcon: " + peer.label + " connected");
        Client& client = clients_.emplace_back();
        client.id = nextClientId_++;
        client.session =
            std::make_unique<RconSession>(peer.host, peer.label, options_, throttle_, log_);
        client.peer = std::move(peer);
        client.lastReceived = now;
    }
}

void RconNetworkLoop::ReadFrom(Client& client, Clock::time_point now) {
    std::array<char, kReadChunkBytes> buffer;
    for (int reads = 0; reads < kMaxReadsPerWakeup && WantsInput(client); ++reads) {
        const ssize_t got = recv(client.peer.fd.Get(), buffer.data(), buffer.size(), 0);
        if (got > 0) {
            client.lastReceived = now;
            auto commands = client.session->Receive(std::string_view(buffer.data(), got), now);
            for (RconSessionCommand& command : commands) {
                queue_.Push({client.id, command.sequence, std::move(command.text)});
            }
        } else if (got == 0) {
            client.peerClosed = true;
        } else if (errno == EINTR) {
            continue;
        } else {
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                client.failed = true;
            }
            return;
        }
    }
}

void RconNetworkLoop::Flush(Client& client, Clock::time_point now) {
    if (client.failed || client.session->Broken()) {
        return;
    }
    for (std::string& packet : client.session->TakeReadyPackets(now)) {
        client.outgoingBytes += packet.size();
        client.outgoing.push_back(std::move(packet));
    }
    // One send per packet: some clients read a packet per segment.
    while (!client.outgoing.empty()) {
        const std::string& packet = client.outgoing.front();
        const std::size_t left = packet.size() - client.sentOfFront;
        const ssize_t sent =
            send(client.peer.fd.Get(), packet.data() + client.sentOfFront, left, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                client.failed = true;
            }
            return;
        }
        if (static_cast<std::size_t>(sent) < left) {
            client.sentOfFront += static_cast<std::size_t>(sent);
            return;
        }
        client.outgoingBytes -= packet.size();
        client.outgoing.pop_front();
        client.sentOfFront = 0;
    }
}

void RconNetworkLoop::Reap(Clock::time_point now) {
    std::erase_if(clients_, [&](const Client& client) {
        const auto reason = CloseReason(client, now);
        if (reason) {
            Log("rcon: " + client.peer.label + " closed: " + *reason);
        }
        return reason.has_value();
    });
}

std::optional<std::string> RconNetworkLoop::CloseReason(const Client& client,
                                                        Clock::time_point now) const {
    const RconSession& session = *client.session;
    if (client.failed) {
        return "connection lost";
    }
    if (session.Broken()) {
        return "protocol error";
    }
    const bool drained = session.Outstanding() == 0 && client.outgoing.empty();
    if (session.Finishing() && drained) {
        return "authentication failed";
    }
    if (client.peerClosed && drained) {
        return "client disconnected";
    }
    if (session.Outstanding() == 0 && now - client.lastReceived >= options_.idleTimeout) {
        return "idle timeout";
    }
    return std::nullopt;
}

void RconNetworkLoop::Log(const std::string& line) const {
    if (log_) {
        log_(line);
    }
}

void RconNetworkLoop::Signal() noexcept {
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeFd_.Get(), &one, sizeof one);
}

}  // namespace txl::devserver
