#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "emugame/Allocator.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "emuhost/HostLog.h"
#include "emuhost/PluginLoader.h"
#include "plugin/HookTable.h"
#include "plugin/Registrations.h"
#include "plugin/Teardown.h"
#include "processor/ProcessorTestWorld.h"
#include "shared/Logger.h"
#include "shared/PluginPaths.h"
#include "shared/PluginState.h"
#include "support/EmulatedServer.h"

namespace {

using txl::ParentDirectory;
using txl::SiblingPath;
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

// Every removal stands alone: one the host refuses is logged once, the rest still go, and
// none is tried again.
TEST(LifecycleFailure, ARemovalTheHostRefusesLeavesTheRestGone) {
    for (const bool hook : {false, true}) {
        SCOPED_TRACE(hook ? "hook" : "command");
        // In-process, so what is left behind does not point into an unloaded library. The kept
        // hook's original stays in the table: the host puts it back when it resets.
        EmulatedServer server;
        txl::CreateLogger();
        txl::State().Hooks = txl::MakeHookTable();
        txl::InstallHooks();
        txl::RegisterTimerAndCommands();
        auto& hooks = emuhost::HookManager::Instance();
        auto& registry = emuhost::CommandRegistry::Instance();
        std::vector<std::string> removed = kTeardownOrder;
        if (hook) {
            hooks.FailRemove(kTeardownOrder[1]);
            removed.erase(removed.begin() + 1);
        } else {
            registry.FailOperation("RemoveRconCommand", "Thalassovex.Inspect");
        }
        txl::Teardown();
        EXPECT_EQ(hooks.RemoveLog(), removed);
        EXPECT_EQ(hooks.InstalledCount(), hook ? 1u : 0u);
        EXPECT_TRUE(registry.TimerNames().empty());
        EXPECT_EQ(registry.RconCommandNames().size(), hook ? 0u : 1u);
        EXPECT_EQ(
            server.Logs().Messages("error"),
            std::vector<std::string>{
                "Thalassovex teardown step failed: " +
                std::string(hook ? "Hook removal failed for 'APrimalDinoCharacter.BeginPlay()'"
                                 : "Registry refused RemoveRconCommand for "
                                   "'Thalassovex.Inspect'")});
        EXPECT_FALSE(txl::State().CommandsRegistered);
        EXPECT_FALSE(txl::State().TimerRegistered);
        for (const txl::HookRecord& record : txl::State().Hooks) EXPECT_FALSE(record.Installed);
        txl::Teardown();
        EXPECT_EQ(hooks.RemoveLog(), removed);
    }
}

// Two servers' folders in one process: each library reads its own configuration.
TEST(Lifecycle, EachFolderLoadsWithItsOwnConfigAndUnloadsCleanly) {
    EmulatedServer server;
    PluginFolder first(R"({"MaxCraftingsPerBlueprint": 7})");
    PluginFolder second(R"({"MaxCraftingsPerBlueprint": 9, "MaxCraftChancePercent": 12.5})");
    auto live = emu::LiveAllocations();
    auto& registry = emuhost::CommandRegistry::Instance();
    {
        emuhost::LoadedPlugin one(first.Library());
        EXPECT_EQ(emuhost::HookManager::Instance().InstalledCount(), 10u);
        EXPECT_EQ(registry.TimerNames(), std::vector<std::string>{"Thalassovex.ProcessorLimits"});
        for (const char* command : {"Thalassovex.Inspect", "Thalassovex.Apply", "TXL.Reload"})
            EXPECT_TRUE(registry.HasRconCommand(command)) << command;
        emuhost::LoadedPlugin two(second.Library());
        EXPECT_EQ(emuhost::HookManager::Instance().InstalledCount(), 20u);
        EXPECT_EQ(server.Logs().Messages("info"),
                  (std::vector<std::string>{"Thalassovex processor candidate loaded: max "
                                            "chance=50%, max crafts=7; awaiting class validation",
                                            "Thalassovex processor candidate loaded: max "
                                            "chance=12.5%, max crafts=9; awaiting class "
                                            "validation"}));
    }
    EXPECT_EQ(emuhost::HookManager::Instance().InstalledCount(), 0u);
    EXPECT_TRUE(registry.RconCommandNames().empty());
    EXPECT_TRUE(registry.TimerNames().empty());
    EXPECT_EQ(emu::LiveAllocations(), live);
}

// The process's directory, put back however the test ends.
class WorkingDirectory {
  public:
    explicit WorkingDirectory(const std::filesystem::path& path)
        : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~WorkingDirectory() { std::filesystem::current_path(saved_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

  private:
    std::filesystem::path saved_;
};

TEST(Lifecycle, ALibraryLoadedByARelativePathKeepsItsFolderWhenTheDirectoryChanges) {
    EmulatedServer server;
    PluginFolder folder(R"({"MaxCraftingsPerBlueprint": 7})");
    std::optional<WorkingDirectory> directory(std::in_place, folder.Path().parent_path());
    emuhost::LoadedPlugin plugin(std::filesystem::path(".") / folder.Path().filename() /
                                 folder.Library().filename());
    directory.emplace(std::filesystem::temp_directory_path().root_path());
    folder.WriteConfig(R"({"MaxCraftingsPerBlueprint": 9})");

    auto* connection = txltest::OpenConnection(server.Game());
    txltest::RunCommand(server.Game(), "TXL.Reload", connection, 3);
    EXPECT_EQ(txltest::Replies(server.Game()),
              std::vector<std::string>{"3,0," + txltest::kApplied});
    EXPECT_EQ(server.Logs().Messages("info").back(),
              "TXL config reloaded: enabled=true chance=50%, new blueprint crafts=9");
}

// The library's folder drops the last element and its separators; its files lie in that folder.
TEST(PluginPaths, TheFilesLieInTheLibrarysFolder) {
    EXPECT_EQ(ParentDirectory(L"C:\\servers\\plugins\\Txl\\Txl.dll"), L"C:\\servers\\plugins\\Txl");
    EXPECT_EQ(ParentDirectory(L"/srv/plugins//Txl.so"), L"/srv/plugins");
    EXPECT_EQ(ParentDirectory(L"C:/mixed\\style/Txl.dll"), L"C:/mixed\\style");
    EXPECT_EQ(ParentDirectory(L"C:\\Txl.dll"), L"C:\\");
    EXPECT_EQ(ParentDirectory(L"/Txl.so"), L"/");
    EXPECT_EQ(ParentDirectory(L"Txl.so"), L"");
#if defined(_WIN32)
    EXPECT_EQ(SiblingPath(L"C:\\p\\Txl.dll", L"config.json"), L"C:\\p\\config.json");
#else
    EXPECT_EQ(SiblingPath(L"/srv/p/Txl.so", L"config.json"), L"/srv/p/config.json");
    EXPECT_EQ(SiblingPath(L"/Txl.so", L"config.json"), L"/config.json");
#endif
    EXPECT_EQ(SiblingPath(L"Txl.so", L"config.json"), L"config.json");
    // The report lies beside the configuration, whatever the module was called.
    EXPECT_EQ(SiblingPath(SiblingPath(L"/srv/p/Other Name.so", L"config.json"),
                          L"processor-runtime.json"),
              SiblingPath(L"/srv/p/x", L"processor-runtime.json"));
}

}  // namespace
