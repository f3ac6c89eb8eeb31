#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "devserver/DevServerProcess.h"
#include "support/EmulatedServer.h"

#ifdef TXL_DEVSERVER

namespace {

using txltest::Lines;
using txltest::ReadTextFile;
using txltest::WriteTextFile;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

nlohmann::json Item(const std::filesystem::path& state, int actor, const std::string& id) {
    auto world = nlohmann::json::parse(ReadTextFile(state));
    for (const auto& entry : world["actors"]) {
        if (entry["id"] != actor) continue;
        for (const auto& item : entry["items"]) {
            if (item["id"] == id) return item;
        }
    }
    return nullptr;
}

// Each of the plug-in's detours shows in what the game does by itself on the default world: the
// dev server only asks the game, as a player or an administrator would.
TEST(DevServerHooks, EveryDetourActsOnTheGamesOwnCalls) {
    txltest::PluginFolder folder(R"({"DebugLogging": true})");
    auto path = [&](const char* name) { return (folder.Path() / name).string(); };
    WriteTextFile(folder.Path() / "hooks.txt",
                  "levelup 1 11\n"                // CanLevelUp: at the cap
                  "levelup 2 11\n"                // BPGetMaxStatusValue: stored 0.4, read clipped
                  "craft 1 1:5 12\n"              // GetMaximumAdditionalCrafting: 7 left on 4:1
                  "advance 14\n"                  // FinishCraftingBlueprint, the rolls read
                                                  // BPGetCurrentStatusValue
                  "craft 1 1:1 10\nadvance 20\n"  // CraftBlueprint, RemoveItem: retained
                  "give 3 PrimalItem_Bolt_C blueprint id=3:9\n"
                  "move 3 3:9 1\n"  // UpdatedItem: counter attached on arrival
                  "state " +
                      path("moved.json") +
                      "\n"
                      "setprop 1 NumberMaxCrafts 100\n"
                      "use 1\n"  // ServerMultiUse_Implementation
                      "state " +
                      path("used.json") + "\n");
    auto run = txltest::RunDevServerProcess(
        {"--plugin-dir", folder.Path().string(), "--script", path("hooks.txt")}, folder.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"refused; max -0.5", "refused; max -0.5",
                                                        "7", "10", "3:9"}));

    // APrimalDinoCharacter.BeginPlay: the world's processors were clamped as they began play.
    EXPECT_TRUE(Contains(run.err, "Thalassovex processor clamped")) << run.err;
    // The rolls read the tamed processor's success through the clipping read.
    EXPECT_TRUE(Contains(run.err, "(chance 0.5)")) << run.err;
    EXPECT_FALSE(Contains(run.err, "(chance 1.4)")) << run.err;
    for (const char* line :
         {"TXL craft completed: source 4:1 10/10", "TXL retained exhausted blueprint 1:1",
          "TXL counter attached: 3:9 0/10"})
        EXPECT_TRUE(Contains(run.err, line)) << line;

    auto moved = Item(path("moved.json"), 1, "3:9");
    ASSERT_TRUE(moved.is_object());
    EXPECT_EQ(moved["customData"][0]["floats"], nlohmann::json::parse("[1.0, 10.0, 0.0]"));
    auto used = nlohmann::json::parse(ReadTextFile(path("used.json")));
    EXPECT_EQ(used["actors"][0]["properties"]["NumberMaxCrafts"], 50);
}

}  // namespace

#endif
