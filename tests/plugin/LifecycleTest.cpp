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

TEST(Lifecycle, LoadsInstallsEverythingAndUnloadsCleanly) {
    EmulatedServer server;
    PluginFolder folder;
    auto live = emu::LiveAllocations();
    {
        emuhost::LoadedPlugin plugin(folder.Library());
        EXPECT_EQ(emuhost::HookManager::Instance().InstalledCount(), 10u);
        auto& registry = emuhost::CommandRegistry::Instance();
        EXPECT_EQ(registry.TimerNames(), std::vector<std::string>{"Thalassovex.ProcessorLimits"});
        EXPECT_TRUE(registry.HasRconCommand("Thalassovex.Inspect"));
        EXPECT_TRUE(registry.HasRconCommand("Thalassovex.Apply"));
        EXPECT_TRUE(registry.HasRconCommand("TXL.Reload"));
        auto info = server.Logs().Messages("info");
        ASSERT_FALSE(info.empty());
        EXPECT_EQ(info.back(),
                  "Thalassovex processor candidate loaded: max chance=50%, max crafts=50; awaiting "
                  "class validation");
    }
    EXPECT_EQ(emuhost::HookManager::Instance().InstalledCount(), 0u);
    EXPECT_TRUE(emuhost::CommandRegistry::Instance().RconCommandNames().empty());
    EXPECT_TRUE(emuhost::CommandRegistry::Instance().TimerNames().empty());
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
