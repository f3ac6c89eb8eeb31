#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace txl::devserver {

// Cuts a reply into packet bodies of at most kRconMaxBodySize bytes. An empty reply still
// yields one empty body, since every command gets at least one answer packet.
std::vector<std::string> SplitRconReply(std::string_view reply);

}  // namespace txl::devserver
