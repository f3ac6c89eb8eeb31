#include "ItemIdText.h"

#include <charconv>

namespace txl::devserver {
namespace {

bool ParsePart(const char* begin, const char* end, uint32& out) {
    if (begin == end) return false;
    auto [stop, error] = std::from_chars(begin, end, out);
    return error == std::errc() && stop == end;
}

}  // namespace

std::string ItemIdText(const FItemNetID& id) {
    return std::to_string(id.ItemID1) + ":" + std::to_string(id.ItemID2);
}

std::optional<FItemNetID> ParseItemId(const std::string& text) {
    auto colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    FItemNetID id;
    const char* data = text.data();
    if (!ParsePart(data, data + colon, id.ItemID1) ||
        !ParsePart(data + colon + 1, data + text.size(), id.ItemID2))
        return std::nullopt;
    return id;
}

}  // namespace txl::devserver
