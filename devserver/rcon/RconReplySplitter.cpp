#include "RconReplySplitter.h"

#include <algorithm>

#include "RconPacket.h"

namespace txl::devserver {

std::size_t MaxReplyBody(const RconServerOptions& options) {
    return options.replyPackets == RconReplyPackets::Whole ? kRconMaxWholeBodySize
                                                           : kRconMaxBodySize;
}

std::vector<std::string> SplitRconReply(std::string_view reply, std::size_t maxBody) {
    std::vector<std::string> bodies;
    if (reply.empty()) {
        bodies.emplace_back();
        return bodies;
    }
    bodies.reserve((reply.size() + maxBody - 1) / maxBody);
    for (std::size_t offset = 0; offset < reply.size(); offset += maxBody) {
        const std::size_t length = std::min(maxBody, reply.size() - offset);
        bodies.emplace_back(reply.substr(offset, length));
    }
    return bodies;
}

}  // namespace txl::devserver
