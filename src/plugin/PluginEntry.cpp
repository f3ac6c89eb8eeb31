#include "plugin/PluginEntry.h"

#include <exception>
#include <stdexcept>

#include "config/LoadConfiguration.h"
#include "plugin/HookTable.h"
#include "plugin/Registrations.h"
#include "plugin/Teardown.h"
#include "shared/Logger.h"
#include "shared/PlatformPaths.h"
#include "shared/PluginPaths.h"
#include "shared/PluginState.h"

namespace txl {
namespace {

void Initialise() {
    PluginState& state = State();
    std::wstring module = LocatePluginModule(reinterpret_cast<const void*>(&Plugin_Init));
    state.ConfigPath = SiblingPath(module, L"config.json");
    state.ReportPath = SiblingPath(state.ConfigPath, L"processor-runtime.json");
    LoadConfiguration();
    InstallHooks();
    for (const HookRecord& hook : state.Hooks) {
        if (!hook.Installed) throw std::runtime_error("Required processor observation hook failed");
    }
    RegisterTimerAndCommands();
    Log().info(
        "Thalassovex processor candidate loaded: max chance={}%, max crafts={}; awaiting class "
        "validation",
        state.MaxChanceFraction * 100.0f, state.MaxCrafts);
}

}  // namespace
}  // namespace txl

void Plugin_Init() {
    // Without a logger nothing could report a failure; the plug-in stays inert.
    try {
        txl::CreateLogger();
    } catch (const std::exception&) {
        return;
    }
    try {
        txl::Initialise();
    } catch (const std::exception& error) {
        txl::Teardown();
        txl::Log().critical("Thalassovex limiter initialization failed: {}", error.what());
    }
}

void Plugin_Unload() {
    txl::Teardown();
}
