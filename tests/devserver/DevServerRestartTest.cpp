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

class DevServerRestart : public ::testing::Test {
  protected:
    txltest::DevServerRun Run(const std::string& name, const std::string& script,
                              std::vector<std::string> options = {}) {
        WriteTextFile(folder.Path() / name, script);
        options.insert(options.end(), {"--plugin-dir", folder.Path().string(), "--script",
                                       (folder.Path() / name).string()});
        return RunDevServerProcess(options, folder.Path());
    }
    std::string File(const std::string& name) { return (folder.Path() / name).string(); }

    PluginFolder folder{R"({"DebugLogging": true})"};
};

TEST_F(DevServerRestart, SavedWorldComesBackExactlyAndItsCountersGoOnCounting) {
    // Crafts half done, a copy counting against the box, a level-up, a destroyed actor.
    auto first = Run("first.txt",
                     "craft 1 1:1 3\nadvance 7\ncraft 1 1:5 2\nadvance 3\n"
                     "setstat 3 max=0.2\nlevelup 3 11\nlevelup 3 4\ndestroy 2\n"
                     "state " +
                         File("before.json") + "\nsave " + File("world.json") + "\n",
                     {"--seed", "99"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    auto second = Run("second.txt",
                      "state " + File("after.json") + "\nsave " + File("again.json") +
                          "\nadvance 1\nstate " + File("later.json") + "\n",
                      {"--world", File("world.json")});
    ASSERT_EQ(second.exitCode, 0) << second.err;

    EXPECT_EQ(ReadTextFile(File("after.json")), ReadTextFile(File("before.json")));
    EXPECT_EQ(ReadTextFile(File("again.json")), ReadTextFile(File("world.json")));
    auto saved = nlohmann::json::parse(ReadTextFile(File("world.json")));
    EXPECT_EQ(saved["craftSeed"], 99);
    EXPECT_EQ(saved["timeMs"], 10000);

    auto before = nlohmann::json::parse(ReadTextFile(File("before.json")));
    EXPECT_EQ(txltest::FindStateItem(before, 4, "4:1")["customData"][0]["floats"],
              nlohmann::json::parse("[1.0, 10.0, 4.0]"));
    EXPECT_EQ(txltest::FindStateItem(before, 1, "1:5")["craftQueue"], 1);
    // The second craft from the copy was a second short of done when the world was saved.
    auto later = nlohmann::json::parse(ReadTextFile(File("later.json")));
    EXPECT_EQ(txltest::FindStateItem(later, 4, "4:1")["customData"][0]["floats"],
              nlohmann::json::parse("[1.0, 10.0, 5.0]"));
    EXPECT_EQ(txltest::FindStateItem(later, 1, "1:1")["customData"][0]["floats"],
              nlohmann::json::parse("[1.0, 10.0, 3.0]"));
    EXPECT_EQ(later["time"], 11.0);
    for (const auto& actor : later["actors"]) EXPECT_NE(actor["id"], 2);
}

TEST_F(DevServerRestart, MovedBlueprintKeepsItsCounterAndSaveIsRefusedOverRemoteConsoles) {
    auto run = Run("move.txt",
                   "craft 1 1:1 2\nadvance 4\nmove 1 1:1 4\nmove 4 1:1 3\n"
                   "move 3 1:1 1\nmove 1 1:3 9\nmove 1 1:3 1\nstate " +
                       File("state.json") + "\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"2", "error: move: no actor 9",
                                                        "error: move: item 1:3 is already in "
                                                        "actor 1's inventory"}));
    auto state = nlohmann::json::parse(ReadTextFile(File("state.json")));
    auto bolt = txltest::FindStateItem(state, 1, "1:1");
    ASSERT_TRUE(bolt.is_object());
    EXPECT_EQ(bolt["customData"][0]["floats"], nlohmann::json::parse("[1.0, 10.0, 2.0]"));
    EXPECT_EQ(bolt["customItemId"], 7);
}

}  // namespace

#endif
