#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "emuhost/HostLog.h"
#include "emuhost/PluginLoader.h"
#include "plugin/HookTable.h"
#include "plugin/Registrations.h"
#include "plugin/Teardown.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"
#include "support/EmulatedServer.h"

namespace {

using txltest::EmulatedServer;
using txltest::PluginFolder;

const std::vector<std::string> kTeardownOrder = {
    "AShooterPlayerController.ServerMultiUse_Implementation(UObject*,int)",
    "APrimalDinoCharacter.BeginPlay()",
    "UPrimalCharacterStatusComponent.BPGetCurrentStatusValue(EPrimalCharacterStatusValue::Type)",
    "UPrimalCharacterStatusComponent.BPGetMaxStatusValue(EPrimalCharacterStatusValue::Type)",
    "UPrimalCharacterStatusComponent.CanLevelUp(EPrimalCharacterStatusValue::Type,bool)",
    "UPrimalItem.UpdatedItem(bool,bool)",
    "UPrimalItem.CraftBlueprint(bool)",
    "UPrimalItem.FinishCraftingBlueprint()",
    "UPrimalItem.GetMaximumAdditionalCrafting(UPrimalInventoryComponent*,AShooterPlayerController*"
    ")",
    "UPrimalInventoryComponent.RemoveItem(FItemNetID&,bool,bool,bool,bool)",
};

bool NothingInPlace() {
    auto& registry = emuhost::CommandRegistry::Instance();
    return emuhost::HookManager::Instance().InstalledCount() == 0 &&
           registry.RconCommandNames().empty() && registry.TimerNames().empty();
}

// A start that fails at any step leaves nothing in place and says why in one critical line; one
// without a logger has nothing to say it with.
TEST(LifecycleFailure, AFailedStartLeavesThePluginInertWithOneCriticalLine) {
    const std::string failed = "Thalassovex limiter initialization failed: ";
    const std::vector<std::pair<std::string, std::string>> starts = {
        {"missing config", failed + "Cannot open config.json"},
        {"invalid config", failed + "MaxCraftingsPerBlueprint must be 1..1000000"},
        {"refused command", failed + "Registry refused AddRconCommand for 'Thalassovex.Apply'"},
        {"no logger", ""},
    };
    for (const auto& [start, critical] : starts) {
        SCOPED_TRACE(start);
        EmulatedServer server;
        PluginFolder folder(start == "invalid config" ? R"({"MaxCraftingsPerBlueprint": 0})"
                                                      : "{}");
        if (start == "missing config") folder.RemoveConfig();
        if (start == "refused command")
            emuhost::CommandRegistry::Instance().FailOperation("AddRconCommand",
                                                               "Thalassovex.Apply");
        if (start == "no logger") emuhost::FailNextSinkRequest();
        emuhost::LoadedPlugin plugin(folder.Library());
        EXPECT_TRUE(NothingInPlace());
        EXPECT_EQ(server.Logs().Messages("critical"), critical.empty()
                                                          ? std::vector<std::string>{}
                                                          : std::vector<std::string>{critical});
        EXPECT_EQ(server.Logs().Messages("error").size(), 0u);
        auto& hooks = emuhost::HookManager::Instance();
        // Configuration comes before the hooks; a refused command after all ten.
        EXPECT_EQ(hooks.InstallLog().size(), start == "refused command" ? 10u : 0u);
        EXPECT_EQ(hooks.RemoveLog(),
                  start == "refused command" ? kTeardownOrder : std::vector<std::string>{});
    }
}

TEST(LifecycleFailure, FailedHookStillAttemptsTheRestThenRemovesTheInstalledOnes) {
    EmulatedServer server;
    PluginFolder folder;
    auto& hooks = emuhost::HookManager::Instance();
    hooks.FailInstall("UPrimalItem.UpdatedItem(bool,bool)");
    emuhost::LoadedPlugin plugin(folder.Library());

    std::vector<std::string> installed = kTeardownOrder;
    std::swap(installed[0], installed[1]);  // install order is table order
    installed.erase(installed.begin() + 5);
    EXPECT_EQ(hooks.InstallLog(), installed);
    std::vector<std::string> removed = kTeardownOrder;
    removed.erase(removed.begin() + 5);
    EXPECT_EQ(hooks.RemoveLog(), removed);
    EXPECT_TRUE(NothingInPlace());
    EXPECT_EQ(server.Logs().Messages("critical"),
              std::vector<std::string>{"Thalassovex limiter initialization failed: Required "
                                       "processor observation hook failed"});

    // Unloading after the failed start removes nothing more.
    plugin.Unload();
    EXPECT_EQ(hooks.RemoveLog().size(), 9u);
}

TEST(LifecycleFailure, FailingRemovalDoesNotKeepTheRestInPlace) {
    // In-process, so the command left behind does not point into an unloaded library.
    EmulatedServer server;
    txl::CreateLogger();
    txl::InstallHooks();
    txl::RegisterTimerAndCommands();
    emuhost::CommandRegistry::Instance().FailOperation("RemoveRconCommand", "Thalassovex.Inspect");
    txl::Teardown();
    EXPECT_EQ(emuhost::HookManager::Instance().InstalledCount(), 0u);
    EXPECT_TRUE(emuhost::CommandRegistry::Instance().TimerNames().empty());
    EXPECT_EQ(emuhost::CommandRegistry::Instance().RconCommandNames(),
              std::vector<std::string>{"Thalassovex.Inspect"});
    EXPECT_EQ(server.Logs().Messages("error"),
              std::vector<std::string>{"Thalassovex teardown step failed: Registry refused "
                                       "RemoveRconCommand for 'Thalassovex.Inspect'"});
    EXPECT_FALSE(txl::State().CommandsRegistered);
    EXPECT_FALSE(txl::State().TimerRegistered);
}

TEST(LifecycleFailure, OneHookThatCannotBeRemovedLeavesTheOtherNineGone) {
    EmulatedServer server;
    txl::CreateLogger();
    txl::State().Hooks = txl::MakeHookTable();
    txl::InstallHooks();
    auto& hooks = emuhost::HookManager::Instance();
    hooks.FailRemove(kTeardownOrder[1]);
    txl::Teardown();

    std::vector<std::string> removed = kTeardownOrder;
    removed.erase(removed.begin() + 1);
    EXPECT_EQ(hooks.RemoveLog(), removed);
    EXPECT_EQ(hooks.InstalledCount(), 1u);
    for (const txl::HookRecord& hook : txl::State().Hooks) EXPECT_FALSE(hook.Installed);
    EXPECT_EQ(server.Logs().Messages("error"),
              std::vector<std::string>{"Thalassovex teardown step failed: Hook removal failed for "
                                       "'APrimalDinoCharacter.BeginPlay()'"});
    // The hook the host kept is not the plug-in's to remove again.
    txl::Teardown();
    EXPECT_EQ(hooks.RemoveLog().size(), 9u);
}

}  // namespace
