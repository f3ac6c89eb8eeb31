#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "emugame/Allocator.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "emuhost/PluginLoader.h"
#include "processor/ProcessorTestWorld.h"
#include "support/EmulatedServer.h"

namespace {

using txltest::EmulatedServer;
using txltest::PluginFolder;

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

}  // namespace
