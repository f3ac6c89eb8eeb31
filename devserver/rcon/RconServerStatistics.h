#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace txl::devserver {

// What the network thread has seen since Start().
struct RconServerStatistics {
    std::size_t connections = 0;
    std::size_t peakConnections = 0;
    std::size_t accepted = 0;
    // Turned away at connect because every slot was held by a logged-in client.
    std::size_t refused = 0;
    // Closed at connect because their address was banned for wrong passwords.
    std::size_t banned = 0;
    // Closed connections by the reason logged for them.
    std::map<std::string, std::size_t> closed;
    // Over all clients: encoded answers not yet written, and received bytes not yet decoded.
    std::size_t peakQueuedOutputBytes = 0;
    std::size_t peakBufferedInputBytes = 0;
};

}  // namespace txl::devserver
