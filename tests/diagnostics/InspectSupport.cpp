#include "diagnostics/InspectSupport.h"

#include <cstdint>
#include <cstdio>

namespace txltest {

emu::ItemSpec ItemOf(emu::Class* cls, bool blueprint, bool engram) {
    emu::ItemSpec spec;
    spec.itemClass = cls;
    spec.blueprint = blueprint;
    spec.engram = engram;
    return spec;
}

std::string AddressHex(const void* object) {
    auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object));
    std::string hex;
    for (int i = 0; i < 8; ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x",
                      static_cast<unsigned>(value >> (8 * i)) & 0xFFU);
        hex += digits;
    }
    return hex;
}

}  // namespace txltest
