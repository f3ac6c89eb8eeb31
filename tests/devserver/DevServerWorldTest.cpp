#include <gtest/gtest.h>

#include "CommandInterpreter.h"
#include "DefaultWorld.h"
#include "GameSession.h"
#include "PopulateWorld.h"
#include "ReflectedProperty.h"
#include "SimulatedClock.h"
#include "WorldFile.h"
#include "WorldFileError.h"
#include "WorldState.h"
#include "devserver/DevServerProcess.h"
#include "emugame/StandardClasses.h"
#include "support/EmulatedServer.h"

// The dev server's world in process: world files, the console commands on it, its clock.
namespace txl::devserver {
namespace {

// The message LoadWorld gives for `world`, or "" when it loads.
std::string ErrorOf(const std::string& world) {
    txltest::EmulatedServer server;
    try {
        LoadWorld(nlohmann::json::parse(world), "w.json", server.Game());
    } catch (const WorldFileError& error) {
        return error.what();
    }
    return "";
}

TEST(DevServerWorldFile, ErrorsNameTheFileAndThePlace) {
    const std::pair<const char*, const char*> cases[] = {
        {R"([])", "w.json: expected an object"},
        {R"({"actor": []})", "w.json: unknown key 'actor'"},
        {R"({"actors": [{"class": "Nope"}]})",
         "w.json: actors[0].class: unknown actor class 'Nope'"},
        {R"({"actors": [{"class": "PrimalItem_Bolt_C"}]})",
         "w.json: actors[0].class: 'PrimalItem_Bolt_C' is neither a creature nor a container "
         "class"},
        {R"({"actors": [{"class": "Strider_Character_BP_C", "teem": 1}]})",
         "w.json: actors[0]: unknown key 'teem'"},
        {R"({"actors": [{"class": "Strider_Character_BP_C", "team": 4294967296}]})",
         "w.json: actors[0].team: must be -2147483648..2147483647"},
        {R"({"actors": [{"class": "Strider_Character_BP_C", "properties": {"SuccessRateCap": 1}}]})",
         "w.json: actors[0].properties.SuccessRateCap: class 'Strider_Character_BP_C' has no "
         "property 'SuccessRateCap'"},
        {R"({"actors": [{"class": "Thalassovex_Character_BP_C", "properties": {"NumberMaxCrafts": 1.5}}]})",
         "w.json: actors[0].properties.NumberMaxCrafts: expected an integer"},
        {R"({"actors": [{"class": "StorageBox_Small_C", "status": {"current": 1}}]})",
         "w.json: actors[0].status: a container has no status"},
        {R"({"actors": [{"class": "StorageBox_Small_C", "items": [{"class": "PrimalItem_Bolt_C", "id": "1-2"}]}]})",
         "w.json: actors[0].items[0].id: '1-2' is not an item id \"A:B\""},
        {R"({"actors": [{"class": "StorageBox_Small_C"}], "shares": [{"actor": 2, "container": 1, "item": "1:1"}]})",
         "w.json: shares[0].actor: no actor 2"},
        {R"({"actors": [{"class": "StorageBox_Small_C"}], "shares": [{"actor": 1, "container": 1, "item": "1:1"}]})",
         "w.json: shares[0].item: container 1 holds no blueprint with id 1:1"},
        {R"({"itemClasses": [{"name": "PrimalItem_Bolt_C"}]})",
         "w.json: itemClasses[0].name: class 'PrimalItem_Bolt_C' is already defined"},
        {R"({"creatureClasses": [{"name": "A_C", "parent": "StorageBox_Small_C"}]})",
         "w.json: creatureClasses[0].parent: 'StorageBox_Small_C' is not a class descending from "
         "PrimalCharacter"},
        {R"({"creatureClasses": [{"name": "A_C", "properties": [{"name": "P", "type": "quad"}]}]})",
         "w.json: creatureClasses[0].properties[0].type: unknown property type 'quad'"},
        {R"({"creatureClasses": [{"name": "A_C", "properties": [{"name": "P", "type": "float", "offset": 0}]}]})",
         "w.json: creatureClasses[0].properties[0].offset: must be"},
        {R"({"creatureClasses": [{"name": "A_C", "properties": [{"name": "P", "type": "float", "offset": 4000}]}],
             "actors": [{"class": "A_C", "properties": {"P": 1}}]})",
         "w.json: actors[0].properties.P: property 'P' lies outside the object"},
        {R"({"creatureClasses": [{"name": "A_C", "functions": [{"name": "F", "script": "0g"}]}]})",
         "w.json: creatureClasses[0].functions[0].script: 'g' is not a hex digit"},
    };
    for (const auto& [world, message] : cases) {
        std::string error = ErrorOf(world);
        EXPECT_EQ(error.rfind(message, 0), 0u) << world << "\n  gave: " << error;
    }
}

TEST(DevServerWorldFile, OwnClassesChainsAndValuesArrive) {
    txltest::EmulatedServer server;
    emu::Game& game = server.Game();
    auto plan = LoadWorld(nlohmann::json::parse(R"({
        "standardClasses": false,
        "itemClasses": [{"name": "Plan_C", "blueprintAllowMaxCraftings": 3, "craftingSeconds": 0.5},
                        {"name": "Rock_C"}],
        "creatureClasses": [
            {"name": "Thalassovex_Base_C", "properties": [{"name": "SuccessRateCap", "type": "double"}]},
            {"name": "Thalassovex_Character_BP_C", "parent": "Thalassovex_Base_C",
             "properties": [{"name": "NumberMaxCrafts", "type": "int32"},
                            {"name": "Far", "type": "float", "offset": 100000}]}],
        "containerClasses": [{"name": "Box_C"}],
        "actors": [
            {"class": "Thalassovex_Character_BP_C", "team": 60000, "beginPlay": false,
             "properties": {"SuccessRateCap": "nan", "NumberMaxCrafts": 7},
             "status": {"current": 0.25},
             "items": [{"class": "Plan_C", "blueprint": true, "id": "7:8", "customItemId": 1}]},
            {"class": "Box_C", "items": [{"class": "Plan_C", "blueprint": true, "id": "9:9"}]}],
        "shares": [{"actor": 1, "container": 2, "item": "9:9", "copyId": "1:1"}]})"),
                          "w.json", game);
    ASSERT_EQ(plan.actors.size(), 2u);
    ASSERT_NE(game.FindClass("Thalassovex_Base_C"), nullptr);
    EXPECT_EQ(game.FindClass("Strider_Character_BP_C"), nullptr);

    ActorTable actors(game);
    PopulateWorld(plan, game, actors);
    auto* creature = reinterpret_cast<emu::Character*>(actors.Find(1));
    ASSERT_NE(creature, nullptr);
    EXPECT_EQ(creature->Base.TargetingTeam, 60000);
    EXPECT_FLOAT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[11], 0.25f);
    auto cap = FindReflectedProperty(game, creature->Base.Object.ClassPrivate, "SuccessRateCap");
    EXPECT_EQ(cap.type, "DoubleProperty");
    EXPECT_TRUE(std::isnan(emu::PropertyValue<double>(creature, cap.property)));
    auto items = creature->MyInventoryComponent->InventoryItems;
    ASSERT_EQ(items.ArrayNum, 2);
    EXPECT_EQ(items.Data[0]->CustomItemID, 1);
    EXPECT_EQ(items.Data[1]->ItemID.ItemID1, 1u);
    EXPECT_EQ(game.NameText(items.Data[1]->CustomItemDatas.Data[0].CustomDataName),
              "BlueprintSharing");
    // beginPlay false: the game was not told.
    EXPECT_TRUE(game.Log().Calls("BeginPlay").empty());
}

// The ```json blocks of the README's section on world files load as written.
TEST(DevServerWorldFile, EveryReadmeExampleLoadsAsWritten) {
    std::string readme = txltest::ReadBytes(std::filesystem::path(TXL_SOURCE_DIR) / "README.md");
    const auto start = readme.find("### World files");
    const auto end = readme.find("\n### ", start + 1);
    int examples = 0;
    for (auto open = readme.find("```json\n", start); open < end;
         open = readme.find("```json\n", open + 1), ++examples) {
        std::string example = readme.substr(open + 8, readme.find("```", open + 8) - open - 8);
        txltest::EmulatedServer server;
        txltest::PluginFolder folder;
        GameSession session(server.Game(), folder.Path(), 1.0);
        try {
            auto plan = LoadWorld(nlohmann::json::parse(example), "README", server.Game());
            RestoreWorld(plan, session);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what() << "\n" << example;
        }
    }
    EXPECT_EQ(examples, 2);
}

// The default world without the plug-in: commands meet the game's own behaviour.
class DevServerCommand : public ::testing::Test {
  protected:
    DevServerCommand() : session_(server_.Game(), folder_.Path(), 1.0), interpreter_(session_) {
        auto plan = LoadWorld(nlohmann::json::parse(DefaultWorldJson()), "default", server_.Game());
        PopulateWorld(plan, server_.Game(), session_.Actors());
    }

    CommandResult Run(const std::string& line, CommandSource source = CommandSource::Script) {
        return interpreter_.Execute(line, source);
    }
    std::string State() { return DescribeWorld(session_).dump(); }
    nlohmann::json Actor(int id) {
        auto world = DescribeWorld(session_);
        for (const auto& actor : world["actors"])
            if (actor["id"] == id) return nlohmann::json::parse(actor.dump());
        return nullptr;
    }

    txltest::EmulatedServer server_;
    txltest::PluginFolder folder_;
    GameSession session_;
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
    auto shared = txltest::FindStateItem(DescribeWorld(session_), 1, copy);
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

// Config text is written as typed, broken or not; a line's trailing line end is not part of it.
TEST_F(DevServerCommand, ConfigWriteReplacesOnlyTheFolderConfigAsGiven) {
    EXPECT_TRUE(Run("config write {\"Enabled\": false, broken\r\n").ok);
    EXPECT_EQ(txltest::ReadBytes(folder_.Path() / "config.json"), "{\"Enabled\": false, broken\n");
    EXPECT_EQ(Run("config show\r\n").reply, "{\"Enabled\": false, broken");
    EXPECT_TRUE(Run("config write {\"Enabled\": \"fal").ok);
    EXPECT_EQ(Run("config show").reply, "{\"Enabled\": \"fal");
    EXPECT_FALSE(Run("config show \"x").ok);
    EXPECT_EQ(Run("help\r\n").reply, Run("help").reply);
    EXPECT_TRUE(Run("HELP \r\n").ok);
    EXPECT_TRUE(Run("\r\n").reply.empty());
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
}  // namespace txl::devserver
