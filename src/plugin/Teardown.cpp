#include "plugin/Teardown.h"

#include <exception>

#include "AsaApi/Commands.h"
#include "host/EngineText.h"
#include "plugin/HookTable.h"
#include "plugin/Registrations.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"

namespace txl {
namespace {

// Every removal stands alone: one that fails must not keep the rest in place, since a hook left
// behind would call into an unloaded library.
template <typename Step>
void RunStep(Step step) {
    try {
        step();
    } catch (const std::exception& error) {
        Log().error("Thalassovex teardown step failed: {}", error.what());
    }
}

}  // namespace

void Teardown() {
    PluginState& state = State();
    if (state.CommandsRegistered) {
        for (const wchar_t* name : kCommandNames) {
            RunStep([name] {
                host::EngineString command(name);
                AsaApi::GetCommands().RemoveRconCommand(command.Get());
                command.Release();
            });
        }
        state.CommandsRegistered = false;
    }
    if (state.TimerRegistered) {
        RunStep([] {
            host::EngineString timer(kTimerName);
            AsaApi::GetCommands().RemoveOnTimerCallback(timer.Get());
            timer.Release();
        });
    }
    for (HookIndex index : kHookRemovalOrder) {
        HookRecord& hook = state.Hooks[index];
        if (hook.Installed) RunStep([&hook] { RemoveHook(hook); });
        hook.Installed = false;
    }
    state.TimerRegistered = false;
    state.TrackedProcessors.clear();
    state.ProcessorLayouts.clear();
}

}  // namespace txl
