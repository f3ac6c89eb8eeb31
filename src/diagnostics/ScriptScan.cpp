#include "diagnostics/ScriptScan.h"

#include <bit>
#include <cstring>

namespace txl {

// The engine stores addresses in script in its own byte order, which on every target is
// little-endian; a native read of the window is then the little-endian value.
static_assert(std::endian::native == std::endian::little);

void AppendScriptHex(const std::uint8_t* script, std::int32_t count, const ReflectionLabels& labels,
                     std::string& hex, nlohmann::json& references) {
    if (script == nullptr || count <= 0) return;
    static constexpr char kDigits[] = "0123456789abcdef";
    // 64-bit throughout: i + 8 must not overflow near the top of the 32-bit range.
    const std::int64_t length = count;
    hex.reserve(hex.size() + static_cast<std::size_t>(length) * 2);
    for (std::int64_t i = 0; i < length; ++i) {
        std::uint8_t byte = script[i];
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0F]);
        if (i + 8 > length) continue;
        // Windows start at every byte, so they are unaligned: copy rather than dereference.
        std::uint64_t window = 0;
        std::memcpy(&window, script + i, sizeof window);
        if (auto found = labels.find(window); found != labels.end()) {
            references.push_back({{"at", i}, {"target", found->second}});
        }
    }
}

}  // namespace txl
