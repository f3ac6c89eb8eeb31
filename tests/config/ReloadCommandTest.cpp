#include <sstream>
#include <string>
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
using txltest::kApplied;
using txltest::kTamed;

const std::string kRejected = "TXL reload rejected; existing settings retained. Check API log.";
const std::string kReloadedDisabled =
    "TXL config reloaded; enforcement disabled. Previous item/stat changes are not reverted.";

// A server with the plug-in loaded (crafts cap 20), an RCON client and one tamed processor.
struct Reloading {
    explicit Reloading(float success = -0.7f)
        : creature(txltest::SpawnProcessor(server.Game(), kTamed, {1.0f, 100, 2.0f}, success)) {}

    emu::Game& Game() { return server.Game(); }
    // A null config removes the file.
    void Reload(const char* config) {
        if (config == nullptr) {
            plugin.Folder().RemoveConfig();
        } else {
            plugin.Folder().WriteConfig(config);
        }
        txltest::RunCommand(Game(), "TXL.Reload", connection, 5);
    }
    int32 CraftsAfterUse() {
        emu::calls::ServerMultiUse(Game().PlayerController(), &creature->Base.Object, 0);
        return txltest::ValuesOf(Game(), creature).crafts;
    }

    txltest::EmulatedServer server;
    txltest::LoadedPluginFolder plugin{R"({"MaxCraftingsPerBlueprint": 20})"};
    emu::RconConnection* connection = txltest::OpenConnection(server.Game());
    emu::Character* creature;
};

TEST(ReloadCommand, ARefusedFileKeepsEverySetting) {
    Reloading r;
    // Every refusal of the validation (its own test lists them) takes this road.
    const std::vector<std::pair<const char*, std::string>> refused = {
        {"[]", "Config must be a JSON object"},
        // Compared with the crafts cap of the same file.
        {R"({"MaxCraftingsPerBlueprint": 3, "AdoptTestBlueprints": {"1:2": 4}})",
         "Adoption count exceeds max crafts"},
        {R"({"Enabled": )", "[json.exception.parse_error"},
        {R"({"Enabled": 1})", "[json.exception.type_error.302] type must be boolean"},
        {nullptr, "Cannot open config.json"},
    };
    auto live = emu::LiveAllocations();
    for (const auto& [config, message] : refused) {
        r.server.Logs().Clear();
        r.Reload(config);
        EXPECT_THAT(r.server.Logs().Messages(),
                    ElementsAre(::testing::StartsWith("TXL reload rejected: " + message)));
    }
    EXPECT_EQ(txltest::Replies(r.Game()),
              std::vector<std::string>(refused.size(), "5,0," + kRejected));
    EXPECT_EQ(emu::LiveAllocations(), live);
    // The settings loaded at start-up are still the ones in force, and nothing was applied.
    EXPECT_EQ(txltest::ValuesOf(r.Game(), r.creature).crafts, 100);
    EXPECT_EQ(r.CraftsAfterUse(), 20);
}

// A valid file (crafts cap 7) answers as the apply it runs, or says that enforcement is off
// without applying; the info line tells what was loaded and whether enforcement is on after it.
TEST(ReloadCommand, AValidFileAnswersAsItsApplyAndLogsWhatItLoaded) {
    struct Case {
        const char* config;
        const char* failingCall;
        std::string reply;
        std::string loaded;
        std::string after;  // chance, crafts and stored success, then crafts after a use
    };
    const Case cases[] = {
        {R"("MaxCraftChancePercent": 37.5)", nullptr, kApplied, "true chance=37.5%",
         "0.375 7 -0.625 7"},
        {R"("Enabled": false)", nullptr, kReloadedDisabled, "false chance=50%", "1 100 0.4 100"},
        {R"("Enabled": true)", "ServerSyncReplicatedValues", txltest::kDisabled, "false chance=50%",
         "0.5 7 -0.5 7"},
        {R"("Enabled": true)", "GetAllActorsOfClass", txltest::kApplyFailed, "true chance=50%",
         "1 100 0.4 7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        Reloading r(0.4f);
        if (c.failingCall != nullptr) r.Game().FailCall(c.failingCall);
        r.Reload(("{\"MaxCraftingsPerBlueprint\": 7, " + std::string(c.config) + "}").c_str());
        EXPECT_THAT(txltest::Replies(r.Game()), ElementsAre("5,0," + c.reply));
        EXPECT_EQ(r.server.Logs().Messages("info").back(),
                  "TXL config reloaded: enabled=" + c.loaded + ", new blueprint crafts=7");
        EXPECT_EQ(r.server.Logs().Messages("error").size(), c.failingCall == nullptr ? 0u : 1u);
        const txltest::ProcessorValues values = txltest::ValuesOf(r.Game(), r.creature);
        std::ostringstream after;
        after << values.chance << ' ' << values.crafts << ' '
              << r.creature->MyCharacterStatusComponent->CurrentStatusValues[txltest::kSuccess];
        after << ' ' << r.CraftsAfterUse();
        EXPECT_EQ(after.str(), c.after);
    }
}

TEST(ReloadCommand, SwitchesEnforcementBackOnAfterARuntimeError) {
    Reloading r(0.4f);
    r.Game().FailCall("ServerSyncReplicatedValues");
    emu::calls::BeginPlay(r.creature);
    ASSERT_THAT(r.server.Logs().Messages("error"),
                ElementsAre(::testing::StartsWith("Thalassovex limiter disabled")));
    emu::Property* crafts = emu::FindDeclaredProperty(
        r.Game(), &r.creature->Base.Object.ClassPrivate->Base, "NumberMaxCrafts");
    emu::PropertyValue<int32>(r.creature, crafts) = 100;
    EXPECT_EQ(r.CraftsAfterUse(), 100);

    // A refused file leaves the switch off.
    r.Reload("{");
    EXPECT_EQ(r.CraftsAfterUse(), 100);

    r.Reload(R"({"MaxCraftingsPerBlueprint": 20})");
    EXPECT_THAT(txltest::Replies(r.Game()), ElementsAre("5,0," + kRejected, "5,0," + kApplied));
    EXPECT_EQ(emu::PropertyValue<int32>(r.creature, crafts), 20);
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
