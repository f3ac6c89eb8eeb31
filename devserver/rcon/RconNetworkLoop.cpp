#include "RconNetworkLoop.h"

#include <algorithm>
#include <system_error>

#include <asio/buffer.hpp>
#include <asio/error.hpp>
#include <asio/ip/address.hpp>
#include <asio/post.hpp>
#include <asio/write.hpp>

namespace txl::devserver {
namespace {

asio::ip::tcp::endpoint ListenEndpoint(const std::string& bindAddress, uint16_t port) {
    std::error_code error;
    const auto address = asio::ip::make_address(bindAddress, error);
    if (error) {
        throw std::system_error(std::make_error_code(std::errc::invalid_argument),
                                "rcon bind address '" + bindAddress + "': " + error.message());
    }
    return {address, port};
}

void OpenListener(asio::ip::tcp::acceptor& acceptor, const asio::ip::tcp::endpoint& endpoint) {
    const std::string where =
        endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
    acceptor.open(endpoint.protocol());
#if defined(_WIN32)
    // On Windows SO_REUSEADDR lets another program take the port over; refuse to share it.
    using ExclusiveAddressUse =
        asio::detail::socket_option::boolean<SOL_SOCKET, SO_EXCLUSIVEADDRUSE>;
    acceptor.set_option(ExclusiveAddressUse(true));
#else
    // Lets a restarted server bind while old connections linger in TIME_WAIT.
    acceptor.set_option(asio::socket_base::reuse_address(true));
#endif
    std::error_code error;
    acceptor.bind(endpoint, error);
    if (error) throw std::system_error(error, "rcon bind " + where);
    acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (error) throw std::system_error(error, "rcon listen");
}

std::string Label(const asio::ip::tcp::endpoint& remote) {
    const std::string host = remote.address().to_string();
    const std::string port = std::to_string(remote.port());
    return remote.address().is_v6() ? "[" + host + "]:" + port : host + ":" + port;
}

}  // namespace

RconNetworkLoop::RconNetworkLoop(const RconServerOptions& options, RconCommandQueue& queue,
                                 const RconLogger& log)
    : options_(options),
      queue_(queue),
      log_(log),
      throttle_(options.authThrottle),
      acceptor_(io_),
      timer_(io_) {
    OpenListener(acceptor_, ListenEndpoint(options.bindAddress, options.port));
    port_ = acceptor_.local_endpoint().port();
}

RconNetworkLoop::~RconNetworkLoop() {
    clients_.clear();
}

void RconNetworkLoop::Run() {
    Log("rcon: listening on " + options_.bindAddress + ":" + std::to_string(port_));
    Accept();
    io_.run();
    for (const ClientHandle& client : clients_) Close(client, "server stopping");
    clients_.clear();
    std::error_code ignored;
    acceptor_.close(ignored);
}

void RconNetworkLoop::RequestStop() noexcept {
    stopRequested_.store(true);
    io_.stop();
}

void RconNetworkLoop::PostReply(RconReply reply) {
    {
        std::lock_guard lock(repliesMutex_);
        replies_.push_back(std::move(reply));
    }
    asio::post(io_, [this] { Update(); });
}

void RconNetworkLoop::Accept() {
    acceptor_.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted || stopRequested_.load()) return;
        if (error) {
            Log("rcon: accept failed: " + error.message());
        } else {
            Admit(std::move(socket), Clock::now());
        }
        Accept();
        Update();
    });
}

void RconNetworkLoop::Admit(asio::ip::tcp::socket socket, Clock::time_point now) {
    std::error_code error;
    const auto remote = socket.remote_endpoint(error);
    if (error) return;  // gone before it was looked at
    // Closed unlogged: the ban itself was logged, and a guesser must not flood the log.
    if (throttle_.Banned(remote.address().to_string(), now)) {
        socket.close(error);
        std::lock_guard lock(statisticsMutex_);
        ++statistics_.banned;
        return;
    }
    if (clients_.size() >= options_.maxConnections && !MakeRoom()) {
        Log("rcon: " + Label(remote) + " refused: too many connections");
        std::lock_guard lock(statisticsMutex_);
        ++statistics_.refused;
        return;
    }
    socket.set_option(asio::ip::tcp::no_delay(true), error);
    auto client = std::make_shared<Client>(io_);
    client->id = nextClientId_++;
    client->socket = std::move(socket);
    client->host = remote.address().to_string();
    client->label = Label(remote);
    client->session =
        std::make_unique<RconSession>(client->host, client->label, options_, throttle_, log_);
    client->connectedAt = now;
    client->lastReceived = now;
    Log("rcon: " + client->label + " connected");
    clients_.push_back(std::move(client));
    std::lock_guard lock(statisticsMutex_);
    ++statistics_.accepted;
}

// Connections not logged in have no claim to their slot: the one that has had the longest to
// log in makes way. Otherwise anyone reconnecting faster than the login deadline holds every
// slot and keeps the administrator out.
bool RconNetworkLoop::MakeRoom() {
    const auto oldest = std::find_if(clients_.begin(), clients_.end(), [](const ClientHandle& c) {
        return !c->session->Authenticated();
    });
    if (oldest == clients_.end()) return false;
    Close(*oldest, "slot taken by a newer connection");
    clients_.erase(oldest);
    return true;
}

// Pending reads and writes end with operation_aborted and let go of the client.
void RconNetworkLoop::Close(const ClientHandle& client, const std::string& reason) {
    Log("rcon: " + client->label + " closed: " + reason);
    std::error_code ignored;
    client->socket.close(ignored);
    std::lock_guard lock(statisticsMutex_);
    ++statistics_.closed[reason];
}

// Runs after every event: hands out replies, starts the reads and writes that can go, closes
// what is finished and sets the timer for the next deadline.
void RconNetworkLoop::Update() {
    if (stopRequested_.load()) return;
    const auto now = Clock::now();
    DeliverReplies();
    for (const ClientHandle& client : clients_) {
        if (client->failed || client->session->Broken()) continue;
        for (std::string& packet : client->session->TakeReadyPackets()) {
            client->outgoingBytes += packet.size();
            client->outgoing.push_back(std::move(packet));
        }
        // Requests left buffered when the client was over its limits go on once there is room.
        Decode(client, {}, now);
        StartWrite(client);
        StartRead(client);
    }
    RecordPeaks();
    Reap(now);
    {
        std::lock_guard lock(statisticsMutex_);
        statistics_.connections = clients_.size();
    }
    ArmTimer(now);
}

void RconNetworkLoop::Decode(const ClientHandle& client, std::string_view bytes,
                             Clock::time_point now) {
    auto commands = client->session->Receive(bytes, now, Allowed(*client, TotalQueued()));
    for (RconSessionCommand& command : commands) {
        queue_.Push({client->id, command.sequence, std::move(command.text)});
    }
}

void RconNetworkLoop::StartRead(const ClientHandle& client) {
    if (client->reading || !WantsInput(*client, TotalQueued())) return;
    client->reading = true;
    client->socket.async_read_some(
        asio::buffer(client->input), [this, client](const std::error_code& error, std::size_t got) {
            client->reading = false;
            if (error == asio::error::operation_aborted || stopRequested_.load()) return;
            if (error == asio::error::eof) {
                client->peerClosed = true;
            } else if (error) {
                client->failed = true;
            } else {
                const auto now = Clock::now();
                client->lastReceived = now;
                Decode(client, std::string_view(client->input.data(), got), now);
            }
            Update();
        });
}

// One write per packet: some clients read a packet per segment.
void RconNetworkLoop::StartWrite(const ClientHandle& client) {
    if (client->writing || client->outgoing.empty() || client->failed) return;
    client->writing = true;
    asio::async_write(client->socket, asio::buffer(client->outgoing.front()),
                      [this, client](const std::error_code& error, std::size_t) {
                          client->writing = false;
                          if (error == asio::error::operation_aborted || stopRequested_.load())
                              return;
                          if (error) {
                              client->failed = true;
                          } else {
                              client->outgoingBytes -= client->outgoing.front().size();
                              client->outgoing.pop_front();
                          }
                          Update();
                      });
}

void RconNetworkLoop::ArmTimer(Clock::time_point now) {
    std::optional<Clock::time_point> earliest;
    const auto consider = [&](Clock::time_point at) {
        if (!earliest || at < *earliest) earliest = at;
    };
    for (const ClientHandle& client : clients_) {
        if (!client->session->Authenticated()) {
            consider(client->connectedAt + options_.authTimeout);
        }
        if (client->session->Outstanding() == 0) {
            consider(client->lastReceived + options_.idleTimeout);
        }
    }
    if (!earliest) {
        timer_.cancel();
        return;
    }
    timer_.expires_at(std::max(*earliest, now));
    timer_.async_wait([this](const std::error_code& error) {
        if (!error) Update();
    });
}

// A finishing client is still read, only to notice at once when it goes away.
bool RconNetworkLoop::WantsInput(const Client& client, std::size_t totalQueued) const {
    const RconSession& session = *client.session;
    if (client.peerClosed || client.failed || session.Broken()) return false;
    if (session.Finishing()) return true;
    return !session.AwaitingGame() && session.Outstanding() < Allowed(client, totalQueued);
}

// How many requests may be outstanding, checked before each packet is taken in.
std::size_t RconNetworkLoop::Allowed(const Client& client, std::size_t totalQueued) const {
    const std::size_t queued = client.outgoingBytes + client.session->QueuedBytes();
    if (queued >= options_.maxQueuedOutputBytes) return 0;
    if (totalQueued >= options_.maxTotalQueuedOutputBytes) {
        return queued == 0 && client.session->Outstanding() == 0 ? 1 : 0;
    }
    return options_.maxOutstandingRequests;
}

std::size_t RconNetworkLoop::TotalQueued() const {
    std::size_t total = 0;
    for (const ClientHandle& client : clients_) {
        total += client->outgoingBytes + client->session->QueuedBytes();
    }
    return total;
}

void RconNetworkLoop::DeliverReplies() {
    std::vector<RconReply> replies;
    {
        std::lock_guard lock(repliesMutex_);
        replies.swap(replies_);
    }
    for (const RconReply& reply : replies) {
        const auto client =
            std::find_if(clients_.begin(), clients_.end(),
                         [&](const ClientHandle& c) { return c->id == reply.connectionId; });
        // The client may have gone while the game thread worked; its answer has nowhere to go.
        if (client != clients_.end()) (*client)->session->Complete(reply.sequence, reply.text);
    }
}

void RconNetworkLoop::Reap(Clock::time_point now) {
    std::erase_if(clients_, [&](const ClientHandle& client) {
        const auto reason = CloseReason(*client, now);
        if (!reason) return false;
        Close(client, *reason);
        return true;
    });
}

std::optional<std::string> RconNetworkLoop::CloseReason(const Client& client,
                                                        Clock::time_point now) const {
    const RconSession& session = *client.session;
    if (client.failed) return "connection lost";
    if (session.Broken()) return "protocol error";
    const bool drained = session.Outstanding() == 0 && client.outgoing.empty();
    // Connections of a banned address not logged in can only guess; the answer to the guess that
    // started the ban still goes out.
    if (!session.Authenticated() && drained && throttle_.Banned(client.host, now)) {
        return "address banned";
    }
    if (session.Finishing() && drained) return "authentication failed";
    if (client.peerClosed && (drained || session.Finishing())) return "client disconnected";
    if (!session.Authenticated() && now - client.connectedAt >= options_.authTimeout) {
        return "authentication timeout";
    }
    if (session.Outstanding() == 0 && now - client.lastReceived >= options_.idleTimeout) {
        return "idle timeout";
    }
    return std::nullopt;
}

// Called after every event; writes only shrink what is queued, so no peak is missed.
void RconNetworkLoop::RecordPeaks() {
    std::size_t input = 0;
    for (const ClientHandle& client : clients_) input += client->session->BufferedBytes();
    const std::size_t output = TotalQueued();
    std::lock_guard lock(statisticsMutex_);
    statistics_.peakConnections = std::max(statistics_.peakConnections, clients_.size());
    statistics_.peakQueuedOutputBytes = std::max(statistics_.peakQueuedOutputBytes, output);
    statistics_.peakBufferedInputBytes = std::max(statistics_.peakBufferedInputBytes, input);
}

RconServerStatistics RconNetworkLoop::Statistics() const {
    std::lock_guard lock(statisticsMutex_);
    return statistics_;
}

void RconNetworkLoop::Log(const std::string& line) const {
    if (log_) log_(line);
}

}  // namespace txl::devserver
