#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "emugame/Allocator.h"
#include "emugame/StandardClasses.h"
#include "emuhost/NameRegistry.h"
#include "processor/ApplyCommand.h"
#include "processor/ProcessorTestWorld.h"
#include "shared/PluginState.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using txltest::kSuccess;
using txltest::kTamed;

using txltest::kApplied;
using txltest::kApplyFailed;
using txltest::kDisabled;

// The command as an administrator runs it, with the plug-in library loaded.
class ApplyCommand : public ::testing::Test {
  protected:
    emu::Game& Game() { return server.Game(); }
    void Apply(int32 id = 7) { txltest::RunCommand(Game(), "Thalassovex.Apply", connection, id); }

    txltest::EmulatedServer server;
    txltest::LoadedPluginFolder plugin;
    emu::RconConnection* connection = txltest::OpenConnection(server.Game());
};

TEST_F(ApplyCommand, AnswersWithNoProcessorLoaded) {
    Game().SpawnCreature(emu::DefineStandardClasses(Game()).creature, kTamed);
    auto live = emu::LiveAllocations();
    Apply(42);
    EXPECT_THAT(txltest::Replies(Game()), ElementsAre("42,0," + kApplied));
    EXPECT_EQ(emu::LiveAllocations(), live);
}

TEST_F(ApplyCommand, EnforcesEveryLoadedProcessorForced) {
    auto classes = emu::DefineStandardClasses(Game());
    auto* first = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    auto* other = Game().SpawnCreature(classes.creature, kTamed);
    Game().SpawnContainer(classes.storage);
    auto* second = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f}, -0.7f);
    auto live = emu::LiveAllocations();
    Apply();
    EXPECT_EQ(emu::LiveAllocations(), live);
    EXPECT_EQ(txltest::ValuesOf(Game(), first).crafts, 50);
    EXPECT_EQ(first->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.5f);
    // The unchanged one is synchronised and its properties replicated all the same.
    std::vector<const void*> synchronised;
    for (const auto& entry : Game().Log().Calls("ServerSyncReplicatedValues"))
        synchronised.push_back(entry.target);
    EXPECT_THAT(synchronised,
                ElementsAre(first->MyCharacterStatusComponent, second->MyCharacterStatusComponent));
    EXPECT_EQ(Game().Log().Calls("MulticastProperty").size(), 6u);
    for (const auto& entry : Game().Log().Entries()) EXPECT_NE(entry.target, other);
    EXPECT_THAT(txltest::Replies(Game()), ElementsAre("7,0," + kApplied));
}

TEST_F(ApplyCommand, ItsOwnFailuresAreLoggedAndAnsweredAsFailures) {
    txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f});
    txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f});
    auto live = emu::LiveAllocations();

    Game().FailCall("GetAllActorsOfClass");
    Apply(1);
    emu::FailNextAllocations(1);  // the actor array cannot grow
    Apply(2);
    EXPECT_THAT(txltest::Replies(Game()),
                ElementsAre("1,0," + kApplyFailed, "2,0," + kApplyFailed));
    EXPECT_TRUE(Game().Log().Calls("MulticastProperty").empty());

    // The reply cannot be sent: the actor array and the reply text are still released.
    emuhost::NameRegistry::Instance().FailResolution(
        "RCONClientConnection.SendMessage(int,int,FString&)");
    Apply(3);
    emuhost::NameRegistry::Instance().ClearFaults();
    EXPECT_EQ(Game().Log().Calls("MulticastProperty").size(), 6u);
    EXPECT_EQ(txltest::Replies(Game()).size(), 2u);
    EXPECT_EQ(emu::LiveAllocations(), live);

    EXPECT_THAT(server.Logs().Messages("error"),
                ElementsAre("Thalassovex hook failed: Game call failed: GetAllActorsOfClass",
                            "Thalassovex hook failed: std::bad_alloc",
                            "Thalassovex hook failed: Host call failed for "
                            "'RCONClientConnection.SendMessage(int,int,FString&)'"));
}

// What the command leaves in the plug-in's state, with its code linked into the test.
TEST(ApplyCommandState, TracksProcessorsEvenWhileDisabled) {
    txltest::EmulatedServer server;
    txltest::InProcessPlugin plugin;
    emu::Game& game = server.Game();
    auto* processor = txltest::SpawnProcessor(game, kTamed, {1.0f, 100, 2.0f}, 0.4f);
    game.SpawnCreature(emu::DefineStandardClasses(game).creature, kTamed);
    auto* connection = txltest::OpenConnection(game);
    RCONPacket packet;
    packet.Id = 9;

    txl::State().EnforcementEnabled = false;
    txl::HandleApplyCommand(reinterpret_cast<RCONClientConnection*>(connection), &packet,
                            reinterpret_cast<UWorld*>(game.World()));
    EXPECT_THAT(txltest::Replies(game), ElementsAre("9,0," + kDisabled));
    ASSERT_EQ(txl::State().TrackedProcessors.size(), 1u);
    EXPECT_EQ(txl::State().TrackedProcessors.begin()->first, reinterpret_cast<UObject*>(processor));
    EXPECT_EQ(txltest::ValuesOf(game, processor).crafts, 100);
    EXPECT_THAT(txltest::Replication(game), IsEmpty());
}

}  // namespace
