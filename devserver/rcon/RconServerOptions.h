#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "RconAuthThrottle.h"

namespace txl::devserver {

// How a reply longer than one standard packet goes out. Split follows the protocol's guidance;
// many clients read only the first packet of a reply, and Whole suits them.
enum class RconReplyPackets { Split, Whole };

// Whole sends a reply in one packet up to this body size; longer ones go in pieces of this size.
inline constexpr std::size_t kRconMaxWholeBodySize = std::size_t{64} << 10;

struct RconServerOptions {
    // Loopback only unless the administrator opts in; IPv4 or IPv6 numeric address.
    std::string bindAddress = "127.0.0.1";
    // 0 asks the system for a free port; RconServer::BoundPort() tells which one.
    uint16_t port = 0;
    // Must not be empty: an open console on a game server is never what anyone wants.
    std::string password;
    // Some clients expect an empty response-value packet ahead of the auth answer.
    bool emptyResponsePreamble = false;
    RconReplyPackets replyPackets = RconReplyPackets::Whole;
    // Milliseconds so tests can use short ones; seconds convert implicitly.
    std::chrono::milliseconds idleTimeout{std::chrono::seconds(300)};
    // From connect to a right password, whatever the client sends meanwhile: silent or trickling
    // clients must not hold slots for the whole idle timeout.
    std::chrono::milliseconds authTimeout{std::chrono::seconds(5)};
    std::size_t maxConnections = 16;
    // Past either limit a client's further requests wait unread until its answers have gone out.
    std::size_t maxOutstandingRequests = 64;
    std::size_t maxQueuedOutputBytes = std::size_t{1} << 20;
    // Over all clients; past it only clients with nothing queued get one request in at a time.
    std::size_t maxTotalQueuedOutputBytes = std::size_t{16} << 20;
    RconAuthThrottleOptions authThrottle;
};

using RconCommandHandler = std::function<std::string(const std::string& command)>;
using RconLogger = std::function<void(const std::string& line)>;

}  // namespace txl::devserver
