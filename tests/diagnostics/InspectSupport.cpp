#include "diagnostics/InspectSupport.h"

#include <cstdint>
#include <cstdio>

#include "emuhost/CommandRegistry.h"

namespace txltest {

emu::RconConnection* MakeRconConnection(emu::Game& game) {
    return reinterpret_cast<emu::RconConnection*>(game.NewObject(
        game.FindClass("RCONClientConnection"), "Connection", sizeof(emu::RconConnection)));
}

std::vector<std::string> RconReplies(emu::Game& game) {
    std::vector<std::string> replies;
    for (const auto& entry : game.Log().Calls("SendMessage")) replies.push_back(entry.arguments);
    return replies;
}

bool RunInspect(emu::Game& game, emu::RconConnection* connection) {
    RCONPacket packet;
    packet.Id = 7;
    packet.Type = 2;
    return emuhost::CommandRegistry::Instance().RunRconCommand(
        "Thalassovex.Inspect", reinterpret_cast<RCONClientConnection*>(connection), &packet,
        reinterpret_cast<UWorld*>(game.World()));
}

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
