#include <gtest/gtest.h>

#include "emugame/Allocator.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "emuhost/PluginLoader.h"
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

}  // namespace
