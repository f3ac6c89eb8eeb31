#include "plugin/Registrations.h"

#include "AsaApi/Commands.h"
#include "config/ReloadCommand.h"
#include "diagnostics/InspectCommand.h"
#include "host/EngineText.h"
#include "processor/ApplyCommand.h"
#include "processor/EnforcementTimer.h"
#include "shared/PluginState.h"

namespace txl {
namespace {

// A flag is set as soon as the host holds the registration, before the name's buffer goes back:
// a release that fails must still leave teardown knowing what to remove.
void AddCommand(const wchar_t* name, void (*handler)(RCONClientConnection*, RCONPacket*, UWorld*),
                bool* registered = nullptr) {
    host::EngineString command(name);
    AsaApi::GetCommands().AddRconCommand(command.Get(), AsaApi::RconCallback(handler));
    if (registered != nullptr) *registered = true;
    command.Release();
}

}  // namespace

void RegisterTimerAndCommands() {
    PluginState& state = State();
    {
        host::EngineString timer(kTimerName);
        AsaApi::GetCommands().AddOnTimerCallback(timer.Get(),
                                                 AsaApi::TimerCallback(&RunEnforcementTimer));
        state.TimerRegistered = true;
        timer.Release();
    }
    AddCommand(kInspectCommand, &HandleInspectCommand, &state.CommandsRegistered);
    AddCommand(kApplyCommand, &HandleApplyCommand);
    AddCommand(kReloadCommand, &HandleReloadCommand);
}

}  // namespace txl
