#include <gtest/gtest.h>

#include "CommandInterpreter.h"
#include "DefaultWorld.h"
#include "PopulateWorld.h"
#include "SimulatedClock.h"
#include "WorldFile.h"
#include "WorldState.h"
#include "devserver/DevServerProcess.h"
#include "support/EmulatedServer.h"

namespace {

using txl::devserver::CommandInterpreter;
using txl::devserver::CommandResult;
using txl::devserver::CommandSource;
using txl::devserver::SimulatedClock;

// The default world without the plug-in: commands meet the game's own behaviour.
class DevServerCommand : public ::testing::Test {
  protected:
    DevServerCommand() : session_(server_.Game(), folder_.Path(), 1.0), interpreter_(session_) {
        auto plan = txl::devserver::LoadWorld(
            nlohmann::json::parse(txl::devserver::DefaultWorldJson()), "default", server_.Game());
        txl::devserver::PopulateWorld(plan, server_.Game(), session_.Actors());
    }

    CommandResult Run(const std::string& line, CommandSource source = CommandSource::Script) {
        return interpreter_.Execute(line, source);
    }
    std::string State() { return txl::devserver::DescribeWorld(session_).dump(); }
    nlohmann::json Actor(int id) {
        auto world = txl::devserver::DescribeWorld(session_);
        for (const auto& actor : world["actors"])
            if (actor["id"] == id) return nlohmann::json::parse(actor.dump());
        return nullptr;
    }

    txltest::EmulatedServer server_;
    txltest::PluginFolder folder_;
    txl::devserver::GameSession session_;
    CommandInterpreter interpreter_;
};

TEST_F(DevServerCommand, UnknownCommandsAndBadArgumentsGiveOneLineAndChangeNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"bogus 1", "error: unknown command 'bogus'"},
        {"spawn", "error: spawn: usage: spawn CLASS [team=N]"},
        {"spawn NoSuchClass", "error: spawn: 'NoSuchClass' is not"},
        {"spawn Strider_Character_BP_C team=abc", "error: spawn: team must be an integer"},
        {"spawn Strider_Character_BP_C colour=red", "error: spawn: expected team=N"},
        {"give 1 PrimalItem_Bolt_C blueprint id=1-2", "error: give: '1-2' is not an item id"},
        {"give 1 NoSuchItem", "error: give: unknown item class 'NoSuchItem'"},
        {"give 1 PrimalItem_Bolt_C flying", "error: give: unexpected argument 'flying'"},
        {"give 1 PrimalItem_Bolt_C description=\"open", "error: give: unterminated quote"},
        {"give 99 PrimalItem_Bolt_C", "error: give: no actor 99"},
        {"give x PrimalItem_Bolt_C", "error: give: actor id must be an integer"},
        {"share 1 3 4:1", "error: share: actor 3 is not a container"},
        {"share 1 4 9:9", "error: share: actor 4 holds no item 9:9"},
        {"share 1 4 4:1 extra", "error: share: expected id=A:B"},
        {"move 1 1:3 9", "error: move: no actor 9"},
        {"move 1 1:3 1", "error: move: item 1:3 is already in actor 1's inventory"},
        {"craft 1 1:3 2", "error: craft: item 1:3 is not a blueprint"},
        {"craft 1 1:1 0", "error: craft: N must be an integer 1..1000"},
        {"advance -1", "error: advance: SECONDS must be"},
        {"advance 1e12", "error: advance: SECONDS may be at most a year"},
        {"advance 2e6", "error: advance: that would fire the timer"},
        {"stat 4", "error: stat: actor 4 is not a creature"},
        {"setstat 1 current=0.1 max=x", "error: setstat: max must be a number"},
        {"setstat 1 speed=3", "error: setstat: expected current=V"},
        {"setprop 1 NoSuchProperty 1", "error: setprop: class 'Thalassovex_Character_BP_C' has no"},
        {"setprop 1 NumberMaxCrafts 1.5", "error: setprop: VALUE must be an integer"},
        {"levelup 1 12", "error: levelup: STAT must be an integer 0..11"},
        {"config frobnicate", "error: config: usage: config show | config write JSON"},
    };
    const std::string before = State();
    for (const auto& [line, start] : cases) {
        CommandResult result = Run(line);
        EXPECT_FALSE(result.ok) << line;
        EXPECT_EQ(result.reply.rfind(start, 0), 0u) << line << "\n  gave: " << result.reply;
        EXPECT_EQ(result.reply.find('\n'), std::string::npos) << line;
        EXPECT_EQ(State(), before) << line;
    }
    // Writing files is for the console and scripts, not for remote clients.
    auto file = folder_.Path() / "remote.json";
    for (std::string command : {"state ", "save "}) {
        EXPECT_FALSE(Run(command + file.string(), CommandSource::Rcon).ok) << command;
        EXPECT_FALSE(std::filesystem::exists(file)) << command;
    }
}

TEST_F(DevServerCommand, CommandsChangeTheWorldAndReplyAsDocumented) {
    EXPECT_EQ(Run("spawn StorageBox_Small_C team=7").reply, "5");
    EXPECT_EQ(
        Run("give 5 PrimalItem_Bolt_C blueprint id=5:1 description=\"two \\\"words\\\"\"").reply,
        "5:1");
    std::string copy = Run("share 1 5 5:1").reply;
    EXPECT_NE(copy.find(':'), std::string::npos);
    auto box = Actor(5);
    EXPECT_EQ(box["kind"], "container");
    EXPECT_EQ(box["team"], 7);
    EXPECT_EQ(box["items"][0]["description"], "two \"words\"");
    auto shared = txltest::FindStateItem(txl::devserver::DescribeWorld(session_), 1, copy);
    EXPECT_EQ(shared["customData"][0]["name"], "BlueprintSharing");
    EXPECT_EQ(shared["customData"][0]["objects"], nlohmann::json::parse("[5]"));

    EXPECT_TRUE(Run("setstat 1 max=0.75 replicated=nan").ok);
    EXPECT_EQ(Actor(1)["status"],
              nlohmann::json::parse(
                  R"({"current": 0.4, "max": 0.75, "replicatedMax": null, "levelUpPoints": 10,
                      "levels": 0})"));
    EXPECT_TRUE(Run("setprop 1 NumberMaxCrafts 7").ok);
    EXPECT_EQ(Actor(1)["properties"]["NumberMaxCrafts"], 7);
    EXPECT_EQ(Run("stat 1").reply,
              "read current=0.4 max=0.75; stored current=0.4 max=0.75 replicatedMax=nan; "
              "chance=140%");
    // Without the plug-in nothing refuses: the game spends a point and adds its 0.1.
    EXPECT_EQ(Run("levelup 1 11").reply, "applied; max 0.75 -> 0.85, 9 points left");

    // Without the plug-in the game's own limit applies: 10 crafts, each 2 simulated seconds.
    EXPECT_EQ(Run("craft 1 1:1 12").reply, "10");
    EXPECT_TRUE(Run("advance 5").ok);
    EXPECT_EQ(session_.Clock().NowMs(), 5000);
    EXPECT_EQ(server_.Game().Log().Calls("FinishCraftingBlueprint").size(), 2u);

    EXPECT_TRUE(Run("move 1 1:3 4").ok);
    EXPECT_EQ(Actor(4)["items"].back()["id"], "1:3");
    EXPECT_TRUE(Run("destroy 2").ok);
    EXPECT_TRUE(Actor(2).is_null());
    EXPECT_EQ(Run("use 2").reply, "error: use: no actor 2");
    EXPECT_TRUE(Run("quit").quit);
}

TEST_F(DevServerCommand, ConfigWriteReplacesOnlyTheFolderConfigAsGiven) {
    EXPECT_TRUE(Run("config write {\"Enabled\": false, broken").ok);
    EXPECT_EQ(txltest::ReadBytes(folder_.Path() / "config.json"), "{\"Enabled\": false, broken\n");
    EXPECT_EQ(Run("config show").reply, "{\"Enabled\": false, broken");
    // A stray quote is broken text too, and stays as typed.
    EXPECT_TRUE(Run("config write {\"Enabled\": \"fal").ok);
    EXPECT_EQ(Run("config show").reply, "{\"Enabled\": \"fal");
    EXPECT_FALSE(Run("config show \"x").ok);
}

TEST_F(DevServerCommand, TrailingLineEndsAreNotPartOfTheCommand) {
    EXPECT_EQ(Run("help\r\n").reply, Run("help").reply);
    EXPECT_TRUE(Run("HELP \r\n").ok);
    EXPECT_TRUE(Run("\r\n").reply.empty());
    EXPECT_TRUE(Run("config write {}\r\n").ok);
    EXPECT_EQ(Run("config show").reply, "{}");
}

// Game steps and timer ticks arrive in time order, ticks at every multiple of the interval,
// however the advances are cut.
TEST(DevServerClock, TicksAtEachIntervalAndRunsTheGameInBetween) {
    std::vector<std::string> events;
    std::int64_t ran = 0;
    SimulatedClock clock(
        500,
        [&](std::int64_t milliseconds) {
            ran += milliseconds;
            events.push_back("step");
        },
        [&] { events.push_back("tick@" + std::to_string(ran)); });

    clock.Advance(1200);
    EXPECT_EQ(events, (std::vector<std::string>{"step", "tick@500", "step", "tick@1000", "step"}));
    events.clear();
    clock.Advance(300);  // reaches the tick at 1.5 s exactly
    EXPECT_EQ(events, (std::vector<std::string>{"step", "tick@1500"}));
    EXPECT_EQ(clock.NowMs(), 1500);
    EXPECT_EQ(ran, 1500);

    // Tenths of a second add up exactly.
    SimulatedClock fine(
        100, [](std::int64_t) {}, [&] { events.push_back("t"); });
    events.clear();
    for (int i = 0; i < 1000; ++i) fine.Advance(SimulatedClock::ToMilliseconds(0.1));
    EXPECT_EQ(events.size(), 1000u);
    EXPECT_EQ(fine.TicksWithin(1000), 10);

    // A restored clock ticks where the saved one would have.
    SimulatedClock restored(
        500, [](std::int64_t) {}, [&] { events.push_back("r"); });
    restored.Restore(1400);
    events.clear();
    restored.Advance(100);
    EXPECT_EQ(events, (std::vector<std::string>{"r"}));
}

}  // namespace
