#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "config/ReloadCommand.h"
#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "processor/ProcessorEnforcement.h"
#include "processor/ProcessorTestWorld.h"
#include "shared/PluginState.h"

// "TXL.Reload" as an administrator runs it against the loaded plug-in library.
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using txltest::kSuccess;
using txltest::kTamed;

const std::string kRejected = "TXL reload rejected; existing settings retained. Check API log.";
const std::string kReloadedDisabled =
    "TXL config reloaded; enforcement disabled. Previous item/stat changes are not reverted.";
using txltest::kApplied;
using txltest::kApplyFailed;
using txltest::kDisabled;

class ReloadCommand : public ::testing::Test {
  protected:
    emu::Game& Game() { return server.Game(); }
    void Reload(int32 id = 5) { txltest::RunCommand(Game(), "TXL.Reload", connection, id); }
    void Reload(const std::string& config) {
        plugin.Folder().WriteConfig(config);
        Reload();
    }
    int32 CraftsAfterUse(emu::Character* creature) {
        emu::calls::ServerMultiUse(Game().PlayerController(), &creature->Base.Object, 0);
        return txltest::ValuesOf(Game(), creature).crafts;
    }

    txltest::EmulatedServer server;
    txltest::LoadedPluginFolder plugin{R"({"MaxCraftingsPerBlueprint": 20})"};
    emu::RconConnection* connection = txltest::OpenConnection(server.Game());
};

TEST_F(ReloadCommand, ARefusedFileKeepsEverySetting) {
    auto* creature = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f});
    // Every refusal of the validation (its own test lists them) takes this road.
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"[]", "Config must be a JSON object"},
        // Compared with the crafts cap of the same file.
        {R"({"MaxCraftingsPerBlueprint": 3, "AdoptTestBlueprints": {"1:2": 4}})",
         "Adoption count exceeds max crafts"},
    };
    auto live = emu::LiveAllocations();
    for (const auto& [config, message] : refused) {
        server.Logs().Clear();
        Reload(config);
        EXPECT_THAT(server.Logs().Messages(), ElementsAre("TXL reload rejected: " + message))
            << config;
    }
    server.Logs().Clear();
    Reload(R"({"Enabled": )");
    EXPECT_THAT(
        server.Logs().Messages("error"),
        ElementsAre(::testing::StartsWith("TXL reload rejected: [json.exception.parse_error")));
    Reload(R"({"Enabled": 1})");
    EXPECT_THAT(server.Logs().Messages("error").back(),
                ::testing::HasSubstr("type must be boolean"));
    plugin.Folder().RemoveConfig();
    Reload();
    EXPECT_EQ(server.Logs().Messages("error").back(),
              "TXL reload rejected: Cannot open config.json");

    EXPECT_EQ(txltest::Replies(Game()),
              std::vector<std::string>(refused.size() + 3, "5,0," + kRejected));
    EXPECT_EQ(emu::LiveAllocations(), live);
    // The settings loaded at start-up are still the ones in force, and nothing was applied.
    EXPECT_EQ(txltest::ValuesOf(Game(), creature).crafts, 100);
    EXPECT_EQ(CraftsAfterUse(creature), 20);
}

TEST_F(ReloadCommand, AValidFileAppliesTheNewLimitsAtOnce) {
    auto* creature = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    Reload(R"({"MaxCraftingsPerBlueprint": 7, "MaxCraftChancePercent": 37.5})");
    EXPECT_THAT(txltest::Replies(Game()), ElementsAre("5,0," + kApplied));
    EXPECT_EQ(txltest::ValuesOf(Game(), creature).crafts, 7);
    EXPECT_EQ(txltest::ValuesOf(Game(), creature).chance, 0.375f);
    EXPECT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.625f);
    EXPECT_EQ(server.Logs().Messages("info").back(),
              "TXL config reloaded: enabled=true chance=37.5%, new blueprint crafts=7");
}

TEST_F(ReloadCommand, DisablingAnswersWithoutApplying) {
    auto* creature = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    Reload(R"({"Enabled": false, "MaxCraftingsPerBlueprint": 7})");
    EXPECT_THAT(txltest::Replies(Game()), ElementsAre("5,0," + kReloadedDisabled));
    EXPECT_EQ(txltest::ValuesOf(Game(), creature).crafts, 100);
    EXPECT_THAT(Game().Log().Calls("MulticastProperty"), IsEmpty());
    EXPECT_EQ(server.Logs().Messages("info").back(),
              "TXL config reloaded: enabled=false chance=50%, new blueprint crafts=7");
    EXPECT_EQ(CraftsAfterUse(creature), 100);
}

TEST_F(ReloadCommand, SwitchesEnforcementBackOnAfterARuntimeError) {
    auto* creature = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    Game().FailCall("ServerSyncReplicatedValues");
    emu::calls::BeginPlay(creature);
    ASSERT_THAT(server.Logs().Messages("error"),
                ElementsAre(::testing::StartsWith("Thalassovex limiter disabled")));
    emu::Property* crafts = emu::FindDeclaredProperty(
        Game(), &creature->Base.Object.ClassPrivate->Base, "NumberMaxCrafts");
    emu::PropertyValue<int32>(creature, crafts) = 100;
    EXPECT_EQ(CraftsAfterUse(creature), 100);

    // A refused file leaves the switch off.
    Reload("{");
    EXPECT_EQ(CraftsAfterUse(creature), 100);

    Reload(R"({"MaxCraftingsPerBlueprint": 20})");
    EXPECT_THAT(txltest::Replies(Game()), ElementsAre("5,0," + kRejected, "5,0," + kApplied));
    EXPECT_EQ(emu::PropertyValue<int32>(creature, crafts), 20);
    EXPECT_EQ(server.Logs().Messages("info").back(),
              "TXL config reloaded: enabled=true chance=50%, new blueprint crafts=20");
}

TEST_F(ReloadCommand, AnApplyThatFailsIsReportedInTheReplyAndTheInfoLine) {
    txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    Game().FailCall("ServerSyncReplicatedValues");
    Reload(R"({"MaxCraftingsPerBlueprint": 20})");
    EXPECT_THAT(txltest::Replies(Game()), ElementsAre("5,0," + kDisabled));
    EXPECT_EQ(server.Logs().Messages("info").back(),
              "TXL config reloaded: enabled=false chance=50%, new blueprint crafts=20");
}

TEST_F(ReloadCommand, AnApplyThatCannotRunAnswersAsTheApplyDoes) {
    txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f});
    Game().FailCall("GetAllActorsOfClass");
    Reload(R"({"MaxCraftingsPerBlueprint": 20})");
    EXPECT_THAT(txltest::Replies(Game()), ElementsAre("5,0," + kApplyFailed));
    EXPECT_THAT(server.Logs().Messages("error"),
                ElementsAre("Thalassovex hook failed: Game call failed: GetAllActorsOfClass"));
}

// What a reload leaves of the plug-in's state, with its code linked into the test.
TEST(ReloadCommandState, KeepsTheTrackedProcessorsAndTheLayouts) {
    txltest::EmulatedServer server;
    txltest::InProcessPlugin plugin;
    txltest::PluginFolder folder;
    txl::State().ConfigPath = (folder.Path() / "config.json").wstring();
    emu::Game& game = server.Game();
    txl::EnforceProcessor(
        reinterpret_cast<UObject*>(txltest::SpawnProcessor(game, kTamed, {1.0f, 100, 2.0f})));
    auto* connection = txltest::OpenConnection(game);
    RCONPacket packet;
    packet.Id = 4;
    for (const char* config : {R"({"Enabled": false})", R"({"MaxCraftingsPerBlueprint": 20})"}) {
        folder.WriteConfig(config);
        txl::HandleReloadCommand(reinterpret_cast<RCONClientConnection*>(connection), &packet,
                                 reinterpret_cast<UWorld*>(game.World()));
        EXPECT_EQ(txl::State().TrackedProcessors.size(), 1u) << config;
        EXPECT_EQ(txl::State().ProcessorLayouts.size(), 1u) << config;
    }
    EXPECT_THAT(txltest::Replies(game), ElementsAre("4,0," + kReloadedDisabled, "4,0," + kApplied));
}

}  // namespace
