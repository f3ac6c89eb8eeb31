#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
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
#include "processor/ProcessorTestWorld.h"
#include "support/AllocationCount.h"

// The status and level-up detours as the game meets them, with the plug-in library loaded, and
// what the detours the game thread runs most often allocate.
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using txltest::kSuccess;
using txltest::kTamed;
using txltest::kWild;

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

TEST_F(StatusDetours, CurrentSuccessOfAProcessorIsClippedAndEnforced) {
    Load();
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    auto* wild = txltest::SpawnProcessor(Game(), kWild, {0.5f, 50, 0.5f}, 0.4f);
    auto* other = Game().SpawnCreature(emu::DefineStandardClasses(Game()).creature, kTamed);
    txltest::SetSuccess(other, 0.4f, 0.4f, 0.4f);
    tamed->MyCharacterStatusComponent->CurrentStatusValues[kSuccess - 1] = 0.4f;

    EXPECT_EQ(Current(tamed, kSuccess - 1), 0.4f);
    EXPECT_THAT(Game().Log().Entries(), IsEmpty());
    EXPECT_EQ(Current(tamed), -0.5f);
    // The read enforced the creature: stored status and properties are at the limits.
    EXPECT_EQ(tamed->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.5f);
    EXPECT_EQ(txltest::ValuesOf(Game(), tamed).crafts, 50);

    EXPECT_EQ(Current(wild), -0.5f);
    EXPECT_EQ(wild->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
    EXPECT_EQ(Current(other), 0.4f);

    txltest::SetSuccess(tamed, -0.7f, -0.7f, -0.7f);
    EXPECT_EQ(Current(tamed), -0.7f);
    tamed->MyCharacterStatusComponent->CurrentStatusValues[kSuccess] = kNaN;
    EXPECT_TRUE(std::isnan(Current(tamed)));
}

TEST_F(StatusDetours, MaximumSuccessIsClippedWithoutEnforcing) {
    Load();
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    EXPECT_EQ(Maximum(tamed), -0.5f);
    EXPECT_EQ(Maximum(tamed, kSuccess - 1), 0.0f);
    EXPECT_EQ(tamed->MyCharacterStatusComponent->MaxStatusValues[kSuccess], 0.4f);
    EXPECT_EQ(txltest::ValuesOf(Game(), tamed).crafts, 100);
    EXPECT_THAT(Game().Log().Entries(), IsEmpty());
    tamed->MyCharacterStatusComponent->MaxStatusValues[kSuccess] = kNaN;
    EXPECT_TRUE(std::isnan(Maximum(tamed)));
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

    // An engine allocation failing inside the plug-in's name look-up.
    emu::FailNextAllocations(1);
    EXPECT_EQ(Maximum(tamed), 0.4f);
    emu::FailNextAllocations(1);
    EXPECT_TRUE(LevelUp(tamed));
    EXPECT_EQ(gameLevelUpCalls, 1);
    emu::FailNextAllocations(1);
    EXPECT_EQ(Current(tamed), 0.4f);
    EXPECT_EQ(emu::LiveAllocations(), live);

    // A host look-up failing.
    emuhost::NameRegistry::Instance().FailResolution("UActorComponent.OwnerPrivate");
    EXPECT_EQ(Maximum(tamed), 0.4f);
    EXPECT_TRUE(LevelUp(tamed));
    EXPECT_EQ(gameLevelUpCalls, 2);
    emuhost::NameRegistry::Instance().ClearFaults();

    const std::string hookFailed =
        "Thalassovex hook failed: Host call failed for 'UActorComponent.OwnerPrivate'";
    EXPECT_THAT(server.Logs().Messages("error"),
                ElementsAre("Thalassovex hook failed: std::bad_alloc",
                            "Thalassovex hook failed: std::bad_alloc",
                            "Thalassovex hook failed: std::bad_alloc", hookFailed, hookFailed));
    // None of these boundaries switches the limiter off.
    EXPECT_EQ(Maximum(tamed), -0.5f);
    EXPECT_FALSE(LevelUp(tamed));
}

TEST_F(StatusDetours, TheGamesOwnFailuresPassThrough) {
    Load();
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f}, -0.7f);
    Game().FailCall("BPGetCurrentStatusValue");
    EXPECT_THROW(Current(tamed), std::runtime_error);
    Game().FailCall("BPGetMaxStatusValue");
    EXPECT_THROW(Maximum(tamed), std::runtime_error);
    Game().FailCall("CanLevelUp");
    EXPECT_THROW(LevelUp(tamed), std::runtime_error);
    EXPECT_THAT(server.Logs().Messages("error"), IsEmpty());
    EXPECT_EQ(Current(tamed), -0.7f);
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

    emu::StatusComponent* Status(emu::Character* creature) {
        return creature->MyCharacterStatusComponent;
    }

    txltest::EmulatedServer server;
    txltest::InProcessPlugin plugin;
    emu::StandardClasses classes;
    emu::Character* processor = nullptr;
    emu::Character* ordinary = nullptr;
    emu::Item* item = nullptr;
};

TEST_F(HotPathAllocation, CountingSeesAnAllocation) {
    // Through a volatile pointer, so the compiler cannot drop the pair.
    void* (*volatile allocate)(std::size_t) = &::operator new;
    txltest::AllocationCount count;
    void* memory = allocate(64);
    ::operator delete(memory);
    EXPECT_EQ(count.Allocations(), 1U);
}

TEST_F(HotPathAllocation, DetoursAddNoAllocation) {
    std::vector<Call> calls;
    // The success status is the detours' own; status 3 is passed through.
    const std::pair<emu::Character*, int> statuses[] = {
        {processor, kSuccess}, {ordinary, kSuccess}, {processor, 3}};
    for (auto [owner, index] : statuses) {
        const std::string who =
            (owner == processor ? "processor " : "other creature ") + std::to_string(index);
        calls.emplace_back(who + " read", [this, owner, index] {
            emu::calls::BPGetCurrentStatusValue(Status(owner), index);
        });
        calls.emplace_back(who + " maximum read", [this, owner, index] {
            emu::calls::BPGetMaxStatusValue(Status(owner), index);
        });
        calls.emplace_back(who + " level-up check", [this, owner, index] {
            emu::calls::CanLevelUp(Status(owner), index, false);
        });
    }
    calls.emplace_back("announcement of a non-blueprint", [this] {
        // The game journals each announcement; clearing keeps the journal's room.
        server.Game().Log().Clear();
        emu::calls::UpdatedItem(item, false, false);
    });
    ExpectNothingAdded(calls);
    // The detours did their work: the processor's success is read at the limit.
    EXPECT_FLOAT_EQ(emu::calls::BPGetCurrentStatusValue(Status(processor), kSuccess), -0.5f);
}

}  // namespace
