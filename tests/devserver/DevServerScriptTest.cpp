#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "devserver/DevServerProcess.h"
#include "support/EmulatedServer.h"

#ifdef TXL_DEVSERVER

namespace {

using txltest::Lines;
using txltest::PluginFolder;
using txltest::ReadTextFile;
using txltest::RunDevServerProcess;
using txltest::WriteTextFile;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(DevServerScript, DefaultWorldCountsCraftsToExhaustionKeepsTheBlueprintAndReports) {
    PluginFolder folder(R"({"DebugLogging": true})");
    auto state = folder.Path() / "state.json";
    WriteTextFile(folder.Path() / "story.txt",
                  "# the tamed processor is actor 1, its limited blueprint 1:1\n"
                  "craft 1 1:1 12\n"
                  "advance 20\n"
                  "craft 1 1:1 1\n"
                  "state " +
                      state.string() +
                      "\n"
                      "Thalassovex.Inspect\n");
    auto run = RunDevServerProcess({"--plugin-dir", folder.Path().string(), "--script",
                                    (folder.Path() / "story.txt").string()},
                                   folder.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;

    // Replies alone on standard output: 10 of 12 queued (the class allows 10), then refused.
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"10", "0",
                                                        "Thalassovex runtime capture written to "
                                                        "processor-runtime.json"}));

    auto world = nlohmann::json::parse(ReadTextFile(state));
    auto blueprint = txltest::FindStateItem(world, 1, "1:1");
    ASSERT_TRUE(blueprint.is_object()) << "the exhausted blueprint was not retained";
    EXPECT_EQ(blueprint["customItemId"], -1);
    ASSERT_EQ(blueprint["customData"].size(), 1u);
    EXPECT_EQ(blueprint["customData"][0]["name"], "ThalassovexLimiter.CounterV1");
    EXPECT_EQ(blueprint["customData"][0]["floats"], nlohmann::json::parse("[1.0, 10.0, 10.0]"));
    EXPECT_TRUE(Contains(blueprint["description"], "crafts remaining: 0/10 - Craft limit reached"));
    // No class limit, and an engram: neither is counted.
    EXPECT_TRUE(txltest::FindStateItem(world, 1, "1:2")["customData"].empty());
    EXPECT_TRUE(txltest::FindStateItem(world, 1, "1:4")["customData"].empty());
    // Each finished craft rolled at the capped chance; only the successes left a product.
    int products = 0;
    for (const auto& item : world["actors"][0]["items"])
        products += item["class"] == "PrimalItem_Bolt_C" && !item["blueprint"] ? 1 : 0;
    EXPECT_EQ(blueprint["craftsSucceeded"].get<int>() + blueprint["craftsFailed"].get<int>(), 10);
    EXPECT_EQ(products, blueprint["craftsSucceeded"]);

    auto report = nlohmann::json::parse(ReadTextFile(folder.Path() / "processor-runtime.json"));
    EXPECT_EQ(report["animals"].size(), 2u);

    // The plug-in's lines on standard error and in the log file of the plug-in folder.
    auto log = ReadTextFile(folder.Path() / "logs" / "txl-devserver.log");
    for (const char* line :
         {"TXL counter attached: 1:1 0/10", "TXL craft completed: source 1:1 10/10",
          "TXL retained exhausted blueprint 1:1"}) {
        EXPECT_TRUE(Contains(run.err, line)) << line;
        EXPECT_TRUE(Contains(log, line)) << line;
    }
}

TEST(DevServerScript, FailedCommandIsReportedTheRestRunsAndTheExitCodeTellsIt) {
    PluginFolder folder;
    WriteTextFile(folder.Path() / "script.txt",
                  "spawn NoSuchClass\nspawn Strider_Character_BP_C\n");
    auto run = RunDevServerProcess({"--plugin-dir", folder.Path().string(), "--script",
                                    (folder.Path() / "script.txt").string(), "--echo"},
                                   folder.Path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Lines(run.out),
              (std::vector<std::string>{
                  "> spawn NoSuchClass",
                  "error: spawn: 'NoSuchClass' is not a creature or container class",
                  "> spawn Strider_Character_BP_C", "5"}));
}

TEST(DevServerScript, WorldFileErrorNamesThePlaceAndNothingStarts) {
    PluginFolder folder;
    auto world = folder.Path() / "world.json";
    WriteTextFile(world, R"({"actors": [
        {"class": "Strider_Character_BP_C"},
        {"class": "StorageBox_Small_C"},
        {"class": "Thalassovex_Character_BP_C", "items": [{"class": "X"}]}]})");
    auto marker = folder.Path() / "ran.json";
    WriteTextFile(folder.Path() / "script.txt", "state " + marker.string() + "\n");
    auto run =
        RunDevServerProcess({"--plugin-dir", folder.Path().string(), "--world", world.string(),
                             "--script", (folder.Path() / "script.txt").string()},
                            folder.Path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "world.json: actors[2].items[0]: unknown item class 'X'"))
        << run.err;
    EXPECT_FALSE(Contains(run.err, "Thalassovex processor candidate loaded"));
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "logs"));
}

TEST(DevServerScript, BadOptionsAreRefusedBeforeStarting) {
    PluginFolder folder;
    for (auto arguments : std::vector<std::vector<std::string>>{
             {"--rcon-port", "27020"},
             {"--timer-interval", "0"},
             {"--frobnicate"},
             {"--plugin-dir", (folder.Path() / "nowhere").string()}}) {
        auto run = RunDevServerProcess(arguments, folder.Path());
        EXPECT_EQ(run.exitCode, 2) << arguments[0];
        EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    }
}

}  // namespace

#endif
