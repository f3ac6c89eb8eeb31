#include <gtest/gtest.h>

#include "GameSession.h"
#include "PopulateWorld.h"
#include "ReflectedProperty.h"
#include "WorldFile.h"
#include "WorldFileError.h"
#include "devserver/DevServerProcess.h"
#include "emugame/StandardClasses.h"
#include "support/EmulatedServer.h"

namespace {

using txl::devserver::LoadWorld;
using txl::devserver::WorldFileError;

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

    txl::devserver::ActorTable actors(game);
    txl::devserver::PopulateWorld(plan, game, actors);
    auto* creature = reinterpret_cast<emu::Character*>(actors.Find(1));
    ASSERT_NE(creature, nullptr);
    EXPECT_EQ(creature->Base.TargetingTeam, 60000);
    EXPECT_FLOAT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[11], 0.25f);
    auto cap = txl::devserver::FindReflectedProperty(game, creature->Base.Object.ClassPrivate,
                                                     "SuccessRateCap");
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
        txl::devserver::GameSession session(server.Game(), folder.Path(), 1.0);
        try {
            auto plan = LoadWorld(nlohmann::json::parse(example), "README", server.Game());
            txl::devserver::RestoreWorld(plan, session);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what() << "\n" << example;
        }
    }
    EXPECT_EQ(examples, 2);
}

}  // namespace
