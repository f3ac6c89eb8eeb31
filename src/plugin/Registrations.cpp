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

void AddCommand(const wchar_t* name, void (*handler)(RCONClientConnection*, RCONPacket*, UWorld*)) {
    host::EngineString command(name);
    AsaApi::GetCommands().AddRconCommand(command.Get(), AsaApi::RconCallback(handler));
}

}  // namespace

void RegisterTimerAndCommands() {
    PluginState& state = State();
    {
        host::EngineString timer(kTimerName);
        AsaApi::GetCommands().AddOnTimerCallback(timer.Get(),
                                                 AsaApi::TimerCallback(&RunEnforcementTimer));
    }
    state.TimerRegistered = true;
    AddCommand(kInspectCommand, &HandleInspectCommand);
    state.CommandsRegistered = true;
    AddCommand(kApplyCommand, &HandleApplyCommand);
    AddCommand(kReloadCommand, &HandleReloadCommand);
}

}  // namespace txl
