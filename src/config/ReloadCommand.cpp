#include "config/ReloadCommand.h"

#include <exception>
#include <string>

#include "config/LoadConfiguration.h"
#include "processor/ApplyCommand.h"
#include "shared/HookFailure.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"

namespace txl {

void HandleReloadCommand(RCONClientConnection* connection, RCONPacket* packet, UWorld* world) {
    try {
        LoadConfiguration();
    } catch (const std::exception& error) {
        Log().error("TXL reload rejected: {}", error.what());
        ReplyOrLogFailure(connection, packet,
                          L"TXL reload rejected; existing settings retained. Check API log.");
        return;
    }
    const PluginState& state = State();
    if (state.EnforcementEnabled) {
        // Its reply is the reload's reply.
        HandleApplyCommand(connection, packet, world);
    } else {
        ReplyOrLogFailure(
            connection, packet,
            L"TXL config reloaded; enforcement disabled. Previous item/stat changes are not "
            L"reverted.");
    }
    Log().info("TXL config reloaded: enabled={} chance={}%, new blueprint crafts={}",
               state.EnforcementEnabled, state.Config.MaxCraftChancePercent, state.MaxCrafts);
}

}  // namespace txl
