#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "emugame/StandardClasses.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/NameRegistry.h"
#include "host/WeakObjects.h"
#include "processor/EnforcementTimer.h"
#include "processor/ProcessorEnforcement.h"
#include "processor/ProcessorTestWorld.h"
#include "shared/PluginState.h"
#include "support/FunctionOverride.h"

// The two rounds that enforce every processor: the administrator's apply command and the timer.
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using txltest::AsObject;
using txltest::kApplied;
using txltest::kApplyFailed;
using txltest::kSuccess;
using txltest::kTamed;

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

class EnforcementTimer : public ::testing::Test {
  protected:
    emu::Game& Game() { return server.Game(); }
    emu::Character* TrackedProcessor(float success = -0.7f) {
        auto* creature = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, success);
        txl::EnforceProcessor(AsObject(creature));
        return creature;
    }

    txltest::EmulatedServer server;
    txltest::InProcessPlugin plugin;
};

TEST_F(EnforcementTimer, ForgetsDestroyedProcessorsSilentlyWhileEnabled) {
    auto* gone = TrackedProcessor();
    auto* kept = TrackedProcessor();
    Game().DestroyActor(&gone->Base);
    server.Logs().Clear();
    Game().Log().Clear();
    // Switched off, the timer neither forgets nor enforces.
    txl::State().EnforcementEnabled = false;
    txl::RunEnforcementTimer();
    EXPECT_EQ(txl::State().TrackedProcessors.size(), 2u);

    txl::State().EnforcementEnabled = true;
    auto live = emu::LiveAllocations();
    txl::RunEnforcementTimer();
    EXPECT_EQ(txl::State().TrackedProcessors.size(), 1u);
    EXPECT_EQ(txl::State().TrackedProcessors.count(AsObject(kept)), 1u);
    EXPECT_THAT(server.Logs().Messages(), IsEmpty());
    // The remaining one was unchanged: nothing written, replicated or logged.
    EXPECT_THAT(Game().Log().Entries(), IsEmpty());
    EXPECT_EQ(emu::LiveAllocations(), live);
}

TEST_F(EnforcementTimer, ReenforcesWhatChangedWithoutForcing) {
    auto* creature = TrackedProcessor();
    emu::Property* crafts = emu::FindDeclaredProperty(
        Game(), &creature->Base.Object.ClassPrivate->Base, "NumberMaxCrafts");
    emu::PropertyValue<int32>(creature, crafts) = 90;
    creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess] = 0.4f;
    Game().Log().Clear();
    txl::RunEnforcementTimer();
    EXPECT_EQ(emu::PropertyValue<int32>(creature, crafts), 50);
    EXPECT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.5f);
    EXPECT_THAT(txltest::Replication(Game()),
                ElementsAre("ServerSyncReplicatedValues()", "ForceNetUpdate(false,true,false)",
                            "FlushNetDormancy()", "MulticastProperty(SuccessRateCap,false)",
                            "MulticastProperty(NumberMaxCrafts,false)",
                            "MulticastProperty(CraftingSkillLevelMulti,false)"));
}
// The game's weak look-up; its first call of a tick lets the game change the tracked processors
// before the walk has visited any of them.
using WeakGet = UObject* (*)(const FWeakObjectPtr*, bool);
WeakGet gGameWeakGet = nullptr;
std::function<void()> gBeforeFirstLookUp;
UObject* LookUpAfterTheGameMoved(const FWeakObjectPtr* weak, bool pendingKill) {
    if (auto act = std::exchange(gBeforeFirstLookUp, nullptr)) act();
    return gGameWeakGet(weak, pendingKill);
}

TEST_F(EnforcementTimer, ATickWalksWhatWasTrackedWhenItBeganAndForgetsOnlyWhatIsStale) {
    plugin.InstallHooks();
    auto* settled = TrackedProcessor();
    auto* gone = TrackedProcessor();
    auto* successor = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f});
    Game().DestroyActor(&gone->Base);
    std::vector<emu::Character*> newcomers;
    gBeforeFirstLookUp = [&] {
        // Enough creatures begin play to make the map grow; each is then raised again.
        for (int i = 0; i < 64; ++i) {
            auto* creature = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f});
            emu::calls::BeginPlay(creature);
            creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess] = 0.4f;
            newcomers.push_back(creature);
        }
        // A new creature tracked where the destroyed one was: one of those that just began play
        // when the game reused the address, otherwise one more.
        auto reused = std::find(newcomers.begin(), newcomers.end(), gone);
        if (reused == newcomers.end()) {
            txl::State().TrackedProcessors[AsObject(gone)] =
                txl::host::MakeWeakReference(AsObject(successor));
        } else {
            successor = *reused;
        }
    };
    txltest::FunctionOverride lookUp("FWeakObjectPtr.Get()", &LookUpAfterTheGameMoved);
    gGameWeakGet = lookUp.Original<UObject*(const FWeakObjectPtr*, bool)>();
    txl::RunEnforcementTimer();

    ASSERT_FALSE(gBeforeFirstLookUp);
    auto& tracked = txl::State().TrackedProcessors;
    ASSERT_EQ(tracked.count(AsObject(gone)), 1u);
    EXPECT_EQ(txl::host::ResolveWeakReference(tracked.at(AsObject(gone))), AsObject(successor));
    EXPECT_EQ(tracked.count(AsObject(settled)), 1u);
    for (auto* creature : newcomers) EXPECT_EQ(tracked.count(AsObject(creature)), 1u);
    // Those tracked during the tick wait for the next one.
    for (auto* creature : newcomers)
        EXPECT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
    txl::RunEnforcementTimer();
    for (auto* creature : newcomers)
        EXPECT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.5f);
}

// The host's ticks reach the timer of the loaded library.
TEST(EnforcementTimerScenario, HostTicksKeepUsedProcessorsWithinLimits) {
    txltest::EmulatedServer server;
    txltest::LoadedPluginFolder plugin;
    emu::Game& game = server.Game();
    auto* creature = txltest::SpawnProcessor(game, kTamed, {1.0f, 100, 2.0f});
    auto* untracked = txltest::SpawnProcessor(game, kTamed, {1.0f, 100, 2.0f});
    emu::calls::ServerMultiUse(game.PlayerController(), &creature->Base.Object, 0);
    emu::PropertyValue<float>(
        creature, emu::FindDeclaredProperty(game, &creature->Base.Object.ClassPrivate->Base,
                                            "SuccessRateCap")) = 0.9f;
    emuhost::CommandRegistry::Instance().FireTimers();
    EXPECT_EQ(txltest::ValuesOf(game, creature).chance, 0.5f);
    EXPECT_EQ(txltest::ValuesOf(game, untracked).chance, 1.0f);

    game.DestroyActor(&creature->Base);
    server.Logs().Clear();
    emuhost::CommandRegistry::Instance().FireTimers();
    emuhost::CommandRegistry::Instance().FireTimers();
    EXPECT_THAT(server.Logs().Messages(), IsEmpty());
}

}  // namespace
