#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "RconServerOptions.h"

namespace txl::devserver {

// Cuts a reply into packet bodies of at most `maxBody` bytes. An empty reply still yields one
// empty body, since every command gets at least one answer packet.
std::vector<std::string> SplitRconReply(std::string_view reply, std::size_t maxBody);

// The largest reply body `options` allow in one packet.
std::size_t MaxReplyBody(const RconServerOptions& options);

}  // namespace txl::devserver
