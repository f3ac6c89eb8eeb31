#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "emugame/StandardClasses.h"
#include "emuhost/HookManager.h"
#include "emuhost/NameRegistry.h"
#include "host/WeakObjects.h"
#include "processor/EnforcementTimer.h"
#include "processor/ProcessorEnforcement.h"
#include "processor/ProcessorTestWorld.h"
#include "shared/PluginState.h"
#include "support/AllocationCount.h"
#include "support/FunctionOverride.h"

// Where the game and the administrator reach the processor limits: the apply command, the timer,
// and the status and level-up detours, with what the hottest detours allocate.
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using txltest::AsObject;
using txltest::kApplied;
using txltest::kApplyFailed;
using txltest::kSuccess;
using txltest::kTamed;
using txltest::kWild;

// The command as an administrator runs it, with the plug-in library loaded.
class ApplyCommand : public ::testing::Test {
  protected:
    emu::Game& Game() { return server.Game(); }
    void Apply(int32 id = 7) { txltest::RunCommand(Game(), "Thalassovex.Apply", connection, id); }

    txltest::EmulatedServer server;
    txltest::LoadedPluginFolder plugin;
    emu::RconConnection* connection = txltest::OpenConnection(server.Game());
};

TEST_F(ApplyCommand, EnforcesEveryLoadedProcessorForced) {
    auto classes = emu::DefineStandardClasses(Game());
    auto* other = Game().SpawnCreature(classes.creature, kTamed);
    Game().SpawnContainer(classes.storage);
    auto live = emu::LiveAllocations();
    Apply(42);  // no processor loaded yet
    EXPECT_EQ(emu::LiveAllocations(), live);
    auto* first = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    auto* second = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f}, -0.7f);
    live = emu::LiveAllocations();
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
    EXPECT_THAT(txltest::Replies(Game()), ElementsAre("42,0," + kApplied, "7,0," + kApplied));
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

// The status and level-up detours as the game meets them, with the plug-in library loaded.
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const char* kCanLevelUp =
    "UPrimalCharacterStatusComponent.CanLevelUp(EPrimalCharacterStatusValue::Type,bool)";

// Counts the game's own level-up tests below the plug-in's detour.
int gameLevelUpCalls = 0;
void* gameLevelUp = nullptr;
bool CountingLevelUp(emu::StatusComponent* component, int status, bool flag) {
    ++gameLevelUpCalls;
    return reinterpret_cast<bool (*)(emu::StatusComponent*, int, bool)>(gameLevelUp)(component,
                                                                                     status, flag);
}

float Current(emu::Character* creature, int status = kSuccess) {
    return emu::calls::BPGetCurrentStatusValue(creature->MyCharacterStatusComponent, status);
}
float Maximum(emu::Character* creature, int status = kSuccess) {
    return emu::calls::BPGetMaxStatusValue(creature->MyCharacterStatusComponent, status);
}
// Puts the counter below the plug-in's detour, starting from zero whatever ran before.
void CountGameLevelUps() {
    gameLevelUpCalls = 0;
    emuhost::HookManager::Instance().InstallHook(
        kCanLevelUp, reinterpret_cast<void*>(&CountingLevelUp), &gameLevelUp);
}
bool LevelUp(emu::Character* creature, int status = kSuccess) {
    return emu::calls::CanLevelUp(creature->MyCharacterStatusComponent, status, false);
}

class StatusDetours : public ::testing::Test {
  protected:
    // The stand-in's count starts afresh for each test, whatever ran before in this process.
    StatusDetours() { gameLevelUpCalls = 0; }

    void Load(const std::string& config = "{}") {
        plugin = std::make_unique<txltest::LoadedPluginFolder>(config);
    }
    emu::Game& Game() { return server.Game(); }

    txltest::EmulatedServer server;
    std::unique_ptr<txltest::LoadedPluginFolder> plugin;
};

TEST_F(StatusDetours, SuccessReadsAreClippedAndOnlyTheCurrentOneEnforces) {
    Load();
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    auto* wild = txltest::SpawnProcessor(Game(), kWild, {0.5f, 50, 0.5f}, 0.4f);
    auto* other = Game().SpawnCreature(emu::DefineStandardClasses(Game()).creature, kTamed);
    txltest::SetSuccess(other, 0.4f, 0.4f, 0.4f);
    tamed->MyCharacterStatusComponent->CurrentStatusValues[kSuccess - 1] = 0.4f;

    EXPECT_EQ(Maximum(tamed), -0.5f);
    EXPECT_EQ(Maximum(tamed, kSuccess - 1), 0.0f);
    EXPECT_EQ(tamed->MyCharacterStatusComponent->MaxStatusValues[kSuccess], 0.4f);
    EXPECT_EQ(Current(tamed, kSuccess - 1), 0.4f);
    EXPECT_EQ(txltest::ValuesOf(Game(), tamed).crafts, 100);
    EXPECT_THAT(Game().Log().Entries(), IsEmpty());
    EXPECT_EQ(Current(tamed), -0.5f);
    // The read enforced the creature: stored status and properties are at the limits.
    EXPECT_EQ(tamed->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.5f);
    EXPECT_EQ(txltest::ValuesOf(Game(), tamed).crafts, 50);

    EXPECT_EQ(Current(wild), -0.5f);
    EXPECT_EQ(wild->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
    EXPECT_EQ(Current(other), 0.4f);

    txltest::SetSuccess(tamed, -0.7f, kNaN, -0.7f);
    EXPECT_EQ(Current(tamed), -0.7f);
    EXPECT_TRUE(std::isnan(Maximum(tamed)));
    tamed->MyCharacterStatusComponent->CurrentStatusValues[kSuccess] = kNaN;
    EXPECT_TRUE(std::isnan(Current(tamed)));
}

TEST_F(StatusDetours, LevelUpIsRefusedAtTheCapWithoutAskingTheGame) {
    CountGameLevelUps();
    Load();
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f}, -0.5f);
    EXPECT_FALSE(LevelUp(tamed));
    EXPECT_EQ(gameLevelUpCalls, 0);
    EXPECT_TRUE(LevelUp(tamed, kSuccess - 1));
    EXPECT_EQ(gameLevelUpCalls, 1);

    txltest::SetSuccess(tamed, -0.6f, -0.6f, -0.6f);
    EXPECT_TRUE(LevelUp(tamed));
    tamed->MyCharacterStatusComponent->MaxStatusValues[kSuccess] = kNaN;
    EXPECT_TRUE(LevelUp(tamed));
    EXPECT_EQ(gameLevelUpCalls, 3);
    // The game's own answer is passed on, whatever it is.
    tamed->MyCharacterStatusComponent->MaxStatusValues[kSuccess] = -0.6f;
    tamed->MyCharacterStatusComponent->LevelUpPointsAvailable = 0;
    EXPECT_FALSE(LevelUp(tamed));
}

TEST_F(StatusDetours, LevelUpsAtTheCapPassWhenBlockingOrThePlugInIsOff) {
    for (const char* config : {R"({"BlockLevelUpsAtCap": false})", R"({"Enabled": false})"}) {
        plugin.reset();
        Load(config);
        auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
        EXPECT_TRUE(LevelUp(tamed)) << config;
    }
    // Switched off, nothing is clipped or enforced either.
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    EXPECT_EQ(Current(tamed), 0.4f);
    EXPECT_EQ(Maximum(tamed), 0.4f);
    EXPECT_EQ(txltest::ValuesOf(Game(), tamed).crafts, 100);
}

TEST_F(StatusDetours, StartOfPlayAndUseEnforceAroundTheGame) {
    Load();
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    emu::calls::BeginPlay(tamed);
    std::vector<std::string> calls;
    for (const auto& entry : Game().Log().Entries()) calls.push_back(entry.call);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "BeginPlay");
    EXPECT_EQ(txltest::ValuesOf(Game(), tamed).chance, 0.5f);
    EXPECT_EQ(tamed->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.5f);

    // Use: enforced (forced) before and after the game's own handling.
    Game().Log().Clear();
    emu::calls::ServerMultiUse(Game().PlayerController(), &tamed->Base.Object, 3);
    calls.clear();
    for (const auto& entry : Game().Log().Entries()) calls.push_back(entry.call);
    std::vector<std::string> forced = {"ServerSyncReplicatedValues", "ForceNetUpdate",
                                       "FlushNetDormancy",           "MulticastProperty",
                                       "MulticastProperty",          "MulticastProperty"};
    std::vector<std::string> expected = forced;
    expected.push_back("ServerMultiUse_Implementation");
    expected.insert(expected.end(), forced.begin(), forced.end());
    EXPECT_EQ(calls, expected);

    // Any other used object is left to the game.
    Game().Log().Clear();
    auto* box = Game().SpawnContainer(emu::DefineStandardClasses(Game()).storage);
    emu::calls::ServerMultiUse(Game().PlayerController(), &box->Base.Object, 0);
    EXPECT_EQ(Game().Log().Entries().size(), 1u);
}

TEST_F(StatusDetours, FailuresOfTheDetoursOwnWorkLeaveTheGamesAnswer) {
    CountGameLevelUps();
    Load();
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f}, 0.4f);
    auto live = emu::LiveAllocations();

    // An engine allocation failing inside the plug-in's name look-up; a failing host look-up
    // meets the same boundaries.
    emu::FailNextAllocations(1);
    EXPECT_EQ(Maximum(tamed), 0.4f);
    emu::FailNextAllocations(1);
    EXPECT_TRUE(LevelUp(tamed));
    EXPECT_EQ(gameLevelUpCalls, 1);
    emu::FailNextAllocations(1);
    EXPECT_EQ(Current(tamed), 0.4f);
    EXPECT_EQ(emu::LiveAllocations(), live);
    EXPECT_THAT(server.Logs().Messages("error"),
                ElementsAre("Thalassovex hook failed: std::bad_alloc",
                            "Thalassovex hook failed: std::bad_alloc",
                            "Thalassovex hook failed: std::bad_alloc"));
    // None of these boundaries switches the limiter off.
    EXPECT_EQ(Maximum(tamed), -0.5f);
    EXPECT_FALSE(LevelUp(tamed));
}

// The detours the game thread runs most often allocate nothing of their own: each call is
// counted with the game alone, then with the detours in place, and the two counts must match.
using Call = std::pair<std::string, std::function<void()>>;

// Allocations of a call made once before, so that one-off work (first sight of a class, the
// journal's room) is behind it.
std::uint64_t AllocationsOf(const std::function<void()>& call) {
    call();
    txltest::AllocationCount count;
    call();
    return count.Allocations();
}

class HotPathAllocation : public ::testing::Test {
  protected:
    HotPathAllocation() {
        classes = emu::DefineStandardClasses(server.Game());
        processor = txltest::SpawnProcessor(server.Game(), kTamed, {0.5f, 50, 0.5f}, 0.4f);
        ordinary = server.Game().SpawnCreature(classes.creature, kTamed);
        emu::ItemSpec resource;
        resource.itemClass = classes.resource;
        item = server.Game().GiveItem(processor->MyInventoryComponent, resource);
    }

    // Each call's count with the game alone, then with the detours installed.
    void ExpectNothingAdded(const std::vector<Call>& calls) {
        std::vector<std::uint64_t> game;
        game.reserve(calls.size());
        for (const auto& [name, call] : calls) game.push_back(AllocationsOf(call));
        plugin.InstallHooks();
        emu::calls::BeginPlay(processor);  // tracked, discovered and settled
        for (std::size_t i = 0; i < calls.size(); ++i)
            EXPECT_EQ(AllocationsOf(calls[i].second), game[i]) << calls[i].first;
    }

    txltest::EmulatedServer server;
    txltest::InProcessPlugin plugin;
    emu::StandardClasses classes;
    emu::Character* processor = nullptr;
    emu::Character* ordinary = nullptr;
    emu::Item* item = nullptr;
};

TEST_F(HotPathAllocation, DetoursAddNoAllocation) {
    {
        // The count sees an allocation made through a volatile pointer, which the compiler
        // cannot drop.
        void* (*volatile allocate)(std::size_t) = &::operator new;
        txltest::AllocationCount count;
        ::operator delete(allocate(64));
        EXPECT_EQ(count.Allocations(), 1U);
    }
    std::vector<Call> calls;
    // The success status is the detours' own; status 3 is passed through.
    const std::pair<emu::Character*, int> statuses[] = {
        {processor, kSuccess}, {ordinary, kSuccess}, {processor, 3}};
    for (auto [owner, index] : statuses) {
        const std::string who =
            (owner == processor ? "processor " : "other creature ") + std::to_string(index);
        calls.emplace_back(who + " read", [this, owner, index] {
            emu::calls::BPGetCurrentStatusValue(owner->MyCharacterStatusComponent, index);
        });
        calls.emplace_back(who + " maximum read", [this, owner, index] {
            emu::calls::BPGetMaxStatusValue(owner->MyCharacterStatusComponent, index);
        });
        calls.emplace_back(who + " level-up check", [this, owner, index] {
            emu::calls::CanLevelUp(owner->MyCharacterStatusComponent, index, false);
        });
    }
    calls.emplace_back("announcement of a non-blueprint", [this] {
        // The game journals each announcement; clearing keeps the journal's room.
        server.Game().Log().Clear();
        emu::calls::UpdatedItem(item, false, false);
    });
    ExpectNothingAdded(calls);
    // The detours did their work: the processor's success is read at the limit.
    EXPECT_FLOAT_EQ(
        emu::calls::BPGetCurrentStatusValue(processor->MyCharacterStatusComponent, kSuccess),
        -0.5f);
}

}  // namespace
