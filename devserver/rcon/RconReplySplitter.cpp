#include "RconReplySplitter.h"

#include <algorithm>

#include "RconPacket.h"

namespace txl::devserver {

std::vector<std::string> SplitRconReply(std::string_view reply) {
    std::vector<std::string> bodies;
    if (reply.empty()) {
        bodies.emplace_back();
        return bodies;
    }
    bodies.reserve((reply.size() + kRconMaxBodySize - 1) / kRconMaxBodySize);
    for (std::size_t offset = 0; offset < reply.size(); offset += kRconMaxBodySize) {
        const std::size_t length = std::min(kRconMaxBodySize, reply.size() - offset);
        bodies.emplace_back(reply.substr(offset, length));
    }
    return bodies;
}

}  // namespace txl::devserver
