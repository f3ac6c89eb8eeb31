#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "crafting/CraftingScenario.h"
#include "emuhost/HookManager.h"
#include "emuhost/NameRegistry.h"
#include "plugin/HookTable.h"
#include "processor/ProcessorTestWorld.h"
#include "shared/PluginState.h"

// The crafting detours: in this process, in front of game functions a test can stand in for, and
// in the loaded library, driven by the game's own calls.
namespace {

using txltest::CounterFloats;
using txltest::CounterLine;
using txltest::CraftingScenario;
using txltest::Key;
using txltest::Record;
using txltest::Written;

constexpr const char* kFinishCrafting = "UPrimalItem.FinishCraftingBlueprint()";
constexpr const char* kMaximumCrafting =
    "UPrimalItem.GetMaximumAdditionalCrafting(UPrimalInventoryComponent*,"
    "AShooterPlayerController*)";

// A stand-in placed between the plug-in's detour and the game's own function.
template <auto Fake>
struct GameStandIn {
    static inline void* original = nullptr;
    static void Install(const char* name) {
        emuhost::HookManager::Instance().InstallHook(name, reinterpret_cast<void*>(Fake),
                                                     &original);
    }
};

int gAnswer = 0;
int gMaximumCalls = 0;
int FakeMaximum(emu::Item*, emu::InventoryComponent*, emu::ObjectBase*) {
    ++gMaximumCalls;
    return gAnswer;
}

using CraftingDetoursTest = txltest::CraftingTest;

TEST_F(CraftingDetoursTest, QueueableCraftsAreClampedToWhatIsLeft) {
    GameStandIn<&FakeMaximum>::Install(kMaximumCrafting);
    txl::InstallHooks();
    // The first question attaches the counter.
    emu::Item* fresh = world.GiveBolt();
    gAnswer = 50;
    EXPECT_EQ(world.Maximum(fresh), 10);
    EXPECT_EQ(CounterFloats(fresh), Record(0));

    emu::Item* bolt = world.CountedBolt(7);
    bolt->CraftQueue = 2;
    gAnswer = 5;
    EXPECT_EQ(world.Maximum(bolt), 1);
    gAnswer = -1;
    EXPECT_EQ(world.Maximum(bolt), 1);
    gAnswer = 0;
    EXPECT_EQ(world.Maximum(bolt), 0);

    emu::Item* nearlyDone = world.CountedBolt(9);
    nearlyDone->CraftQueue = 2;
    gAnswer = 5;
    EXPECT_EQ(world.Maximum(nearlyDone), 0);

    // No counter: the game's own answer.
    emu::Item* lantern = world.GiveLantern();
    gAnswer = -1;
    EXPECT_EQ(world.Maximum(lantern), -1);

    // A copy without its source: nothing, and the game is not asked.
    emu::Item* orphan = world.GiveBolt();
    world.Game().AddSharingEntry(orphan, bolt, world.SpawnBox());
    gMaximumCalls = 0;
    EXPECT_EQ(world.Maximum(orphan), 0);
    EXPECT_EQ(gMaximumCalls, 0);

    txl::State().EnforcementEnabled = false;
    gAnswer = 5;
    EXPECT_EQ(world.Maximum(nearlyDone), 5);
    EXPECT_EQ(world.Maximum(orphan), 5);
}

float gRaisedUsed = 0.0f;
// The game counts more crafts on the record meanwhile, and a runtime error elsewhere switches
// the limiter off, so no refresh brings the record and the game's count back in step.
int FinishWhileTheGameCountsMore(emu::Item* item) {
    item->CustomItemDatas.Data[0].CustomDataFloats.Data[2] = gRaisedUsed;
    txl::State().EnforcementEnabled = false;
    return 1;
}

TEST_F(CraftingDetoursTest, TheCraftNeverLowersTheUsedCount) {
    GameStandIn<&FinishWhileTheGameCountsMore>::Install(kFinishCrafting);
    txl::InstallHooks();
    emu::Item* bolt = world.CountedBolt(3);
    bolt->CraftQueue = 1;
    gRaisedUsed = 8.0f;
    EXPECT_EQ(emu::calls::FinishCraftingBlueprint(bolt), 1);
    EXPECT_EQ(CounterFloats(bolt), Record(8));
}

emu::Item* gShortened = nullptr;
std::vector<float> gReplacement;
int FinishAndReplaceRecord(emu::Item* item) {
    int result =
        reinterpret_cast<int (*)(emu::Item*)>(GameStandIn<&FinishAndReplaceRecord>::original)(item);
    FCustomItemData& entry = gShortened->CustomItemDatas.Data[0];
    emu::ArrayRelease(entry.CustomDataFloats);
    // Exactly as large as it needs to be, so a write past it is caught.
    emu::ArrayReserve(entry.CustomDataFloats, static_cast<int32>(gReplacement.size()));
    for (float value : gReplacement) emu::ArrayAppend(entry.CustomDataFloats, value);
    return result;
}

TEST_F(CraftingDetoursTest, RecordReplacedDuringTheCraftIsNotWrittenInto) {
    GameStandIn<&FinishAndReplaceRecord>::Install(kFinishCrafting);
    txl::InstallHooks();
    txl::State().Config.DebugLogging = true;
    // Only a valid record the game put in its place is counted on, and only what was stored is
    // logged.
    for (const auto& replacement :
         {std::vector<float>{1.0f, 10.0f}, {2.0f, 10.0f, 3.0f}, {1.0f, 8.0f, 6.0f}}) {
        emu::Item* bolt = world.CountedBolt(3);
        bolt->CraftQueue = 1;
        gShortened = bolt;
        gReplacement = replacement;
        EXPECT_EQ(emu::calls::FinishCraftingBlueprint(bolt), 1);
        EXPECT_EQ(CounterFloats(bolt), replacement);
        const bool valid = replacement.size() == 3 && replacement[0] == 1.0f;
        EXPECT_EQ(txltest::CustomDescription(bolt),
                  valid ? CounterLine(2, 8) : CounterLine(0, 0) + L" - Craft limit reached");
        EXPECT_EQ(
            world.InfoLines("TXL craft"),
            valid ? std::vector<std::string>{"TXL craft completed: source " + Key(bolt) + " 6/8"}
                  : std::vector<std::string>{});
    }
}

unsigned gResult = 0;
int FinishWithResult(emu::Item* item) {
    int result =
        reinterpret_cast<int (*)(emu::Item*)>(GameStandIn<&FinishWithResult>::original)(item);
    return result == 0 ? 0 : static_cast<int>(gResult);
}

TEST_F(CraftingDetoursTest, GamesResultIsReturnedWholeAndZeroCountsNothing) {
    GameStandIn<&FinishWithResult>::Install(kFinishCrafting);
    txl::InstallHooks();
    txl::State().Config.DebugLogging = true;
    emu::Item* bolt = world.CountedBolt(3);
    bolt->CraftQueue = 1;
    gResult = 0x80010002U;
    EXPECT_EQ(static_cast<unsigned>(emu::calls::FinishCraftingBlueprint(bolt)), 0x80010002U);
    EXPECT_EQ(CounterFloats(bolt), Record(4));

    // Nothing queued: the game finishes nothing and nothing is counted or logged.
    auto lines = world.Server().Logs().Messages("info").size();
    EXPECT_EQ(emu::calls::FinishCraftingBlueprint(bolt), 0);
    EXPECT_EQ(CounterFloats(bolt), Record(4));
    EXPECT_EQ(world.Server().Logs().Messages("info").size(), lines);
}

TEST_F(CraftingDetoursTest, GameFailureInsideTheCraftLeavesNoBlueprintMarkedAsFinishing) {
    txl::InstallHooks();
    emu::Item* bolt = world.CountedBolt(9);
    bolt->CraftQueue = 1;
    world.Game().FailCall("FinishCraftingBlueprint");
    EXPECT_THROW(emu::calls::FinishCraftingBlueprint(bolt), std::runtime_error);
    EXPECT_TRUE(world.Server().Logs().Messages("error").empty());

    // Outside any craft, the game's removal of the used-up blueprint goes through.
    bolt->CustomItemID = -1;
    FItemNetID id = bolt->ItemID;
    EXPECT_TRUE(emu::calls::RemoveItem(world.ProcessorInventory(), &id, false, false, true, false));
    EXPECT_EQ(world.ProcessorInventory()->InventoryItems.ArrayNum, 0);
}

emu::InventoryComponent* gInventory = nullptr;
emu::Item* gVictim = nullptr;
emu::Item* gBystander = nullptr;
bool gBystanderRemoved = false;
// The game removes the blueprint mid-craft by another road, then removes a second item.
int FinishAndRemoveSource(emu::Item*) {
    FItemNetID victim = gVictim->ItemID;
    emu::calls::RemoveItem(gInventory, &victim, true, false, true, false);
    FItemNetID bystander = gBystander->ItemID;
    gBystanderRemoved = emu::calls::RemoveItem(gInventory, &bystander, false, false, true, false);
    return 1;
}

TEST_F(CraftingDetoursTest, SourceDestroyedMidCraftIsNeverReadAgain) {
    GameStandIn<&FinishAndRemoveSource>::Install(kFinishCrafting);
    txl::InstallHooks();
    gInventory = world.ProcessorInventory();
    gVictim = world.CountedBolt(9);
    gBystander = world.GiveBolt();
    EXPECT_EQ(emu::calls::FinishCraftingBlueprint(gVictim), 1);
    EXPECT_TRUE(gBystanderRemoved);
    EXPECT_EQ(gInventory->InventoryItems.ArrayNum, 0);
}

// The game's removal as it reaches the game, below the plug-in's detour; nothing is removed.
int gRemovalsReachingTheGame = 0;
bool CountRemoval(emu::InventoryComponent*, FItemNetID*, bool, bool, bool, bool) {
    ++gRemovalsReachingTheGame;
    return true;
}

// One removal request made inside the craft of the finishing blueprint, and whether the
// plug-in kept the blueprint.
struct RemovalProbe {
    const char* name;
    std::function<void(emu::Item*)> change = nullptr;  // what differs from the game's request
    std::function<void(emu::Item*)> undo = nullptr;
    bool first = false;
    bool second = false;
    bool third = true;
    bool fourth = false;
    bool otherInventory = false;
    std::uint32_t idOffset1 = 0;
    std::uint32_t idOffset2 = 0;
};
std::vector<RemovalProbe> gProbes;
std::vector<std::string> gRetained;
emu::InventoryComponent* gOwnInventory = nullptr;
emu::InventoryComponent* gOtherInventory = nullptr;

int FinishAndProbeRemovals(emu::Item* item) {
    item->CustomItemID = -1;  // the game's own count ran out with this craft
    for (const RemovalProbe& probe : gProbes) {
        if (probe.change) probe.change(item);
        FItemNetID id = item->ItemID;
        id.ItemID1 += probe.idOffset1;
        id.ItemID2 += probe.idOffset2;
        auto* inventory = probe.otherInventory ? gOtherInventory : gOwnInventory;
        const int before = gRemovalsReachingTheGame;
        const bool result = emu::calls::RemoveItem(inventory, &id, probe.first, probe.second,
                                                   probe.third, probe.fourth);
        if (gRemovalsReachingTheGame == before && !result) gRetained.push_back(probe.name);
        if (probe.undo) probe.undo(item);
    }
    return 1;
}

TEST_F(CraftingDetoursTest, RetentionNeedsEveryConditionOfTheGamesOwnRemoval) {
    GameStandIn<&CountRemoval>::Install(
        "UPrimalInventoryComponent.RemoveItem(FItemNetID&,bool,bool,bool,bool)");
    GameStandIn<&FinishAndProbeRemovals>::Install(kFinishCrafting);
    txl::InstallHooks();
    gOwnInventory = world.ProcessorInventory();
    gOtherInventory = world.SpawnBox()->MyInventoryComponent;
    emu::Item* bolt = world.CountedBolt(9);
    bolt->CraftQueue = 1;
    auto setCount = [](int32 count) {
        return [count](emu::Item* item) { item->CustomItemID = count; };
    };
    auto setVersion = [](float version) {
        return [version](emu::Item* item) {
            item->CustomItemDatas.Data[0].CustomDataFloats.Data[0] = version;
        };
    };
    gRetained.clear();
    gRemovalsReachingTheGame = 0;
    gProbes = {
        {.name = "as the game asks"},
        {.name = "other two flags", .second = true, .fourth = true},
        {.name = "first flag", .first = true},
        {.name = "third flag", .third = false},
        {.name = "other inventory", .otherInventory = true},
        {.name = "other first id part", .idOffset1 = 1},
        {.name = "other second id part", .idOffset2 = 1},
        {.name = "count not below zero", .change = setCount(0), .undo = setCount(-1)},
        {.name = "no whole maximum", .change = setVersion(2.0f), .undo = setVersion(1.0f)},
    };
    EXPECT_EQ(emu::calls::FinishCraftingBlueprint(bolt), 1);
    EXPECT_EQ(gRetained, (std::vector<std::string>{"as the game asks", "other two flags"}));
    EXPECT_EQ(gRemovalsReachingTheGame, 7);

    // Outside the craft, or while the exhausted blueprints are to be destroyed, none is kept.
    gRetained.clear();
    gProbes = {{.name = "as the game asks"}};
    FinishAndProbeRemovals(bolt);
    txl::State().Config.DestroyExhaustedBlueprints = true;
    emu::Item* next = world.CountedBolt(9);
    next->CraftQueue = 1;
    EXPECT_EQ(emu::calls::FinishCraftingBlueprint(next), 1);
    EXPECT_TRUE(gRetained.empty());
    EXPECT_EQ(gRemovalsReachingTheGame, 9);
}

// The plug-in library loaded from its folder.
std::vector<std::string> Completed(const std::string& key, int from, int to, int maximum) {
    std::vector<std::string> lines;
    for (int used = from; used <= to; ++used) {
        lines.push_back("TXL craft completed: source " + key + " " + std::to_string(used) + "/" +
                        std::to_string(maximum));
    }
    return lines;
}

TEST(CraftingScenario, TypicalRoadCountsClampsAndRetainsTheExhaustedBlueprint) {
    CraftingScenario s(R"({"DebugLogging": true})");
    emu::Item* bolt = s.world.GiveBolt();
    const std::string key = Key(bolt);
    s.BeginPlay();
    EXPECT_EQ(Written(bolt), std::tuple(Record(0), 9, CounterLine(10, 10)));
    EXPECT_EQ(s.world.InfoLines("TXL "),
              std::vector<std::string>{"TXL counter attached: " + key + " 0/10"});

    // Each craft counts once, although the game's own count recorded it as well.
    s.Craft(bolt, 7);
    s.Game().Advance(14000);
    EXPECT_EQ(Written(bolt), std::tuple(Record(7), 2, CounterLine(3, 10)));
    EXPECT_EQ(s.ProcessorItemCount(), 1 + s.world.Products());

    s.Craft(bolt, 2);
    EXPECT_EQ(s.Maximum(bolt), 1);
    s.Game().Advance(4000);
    s.Craft(bolt);
    EXPECT_EQ(s.Maximum(bolt), 0);
    s.Game().Advance(2000);

    ASSERT_TRUE(s.InProcessorInventory(bolt));
    EXPECT_EQ(Written(bolt),
              std::tuple(Record(10), -1, CounterLine(0, 10) + L" - Craft limit reached"));
    EXPECT_EQ(s.JournalCount("RemoveItem"), 0u);
    auto expected = Completed(key, 1, 9, 10);
    expected.insert(expected.begin(), "TXL counter attached: " + key + " 0/10");
    expected.push_back("TXL retained exhausted blueprint " + key);
    expected.push_back("TXL craft completed: source " + key + " 10/10");
    EXPECT_EQ(s.world.InfoLines("TXL "), expected);

    // From now on every craft is stopped before the game starts it.
    s.Craft(bolt);
    EXPECT_EQ(s.JournalCount("CraftBlueprint"), 10u);
    auto stops = s.Game().Log().Calls("StopCraftingRepairing");
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].arguments, "false");
    EXPECT_EQ(bolt->CraftQueue, 0);
    EXPECT_EQ(s.Maximum(bolt), 0);
    bolt->CraftQueue = 1;
    EXPECT_EQ(emu::calls::FinishCraftingBlueprint(bolt), 0);
    EXPECT_EQ(s.JournalCount("StopCraftingRepairing"), 2u);
    EXPECT_EQ(s.ProcessorItemCount(), 1 + s.world.Products());
    EXPECT_TRUE(s.Errors().empty());
    EXPECT_TRUE(s.ReleasedEverything());
}

TEST(CraftingScenario, FailedCounterUpdateIsLoggedAndTheGamesCallGoesOn) {
    CraftingScenario s("{}");
    emu::Item* bolt = s.world.GiveBolt();
    s.Game().FailCall("SetCustomItemData");
    emu::calls::UpdatedItem(bolt, true, false);
    EXPECT_EQ(s.Errors(),
              std::vector<std::string>{
                  "Thalassovex counter update failed: Game call failed: SetCustomItemData"});
    auto calls = s.Game().Log().Calls("UpdatedItem");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].target, bolt);
    EXPECT_EQ(calls[0].arguments, "true,false");
    EXPECT_TRUE(CounterFloats(bolt).empty());

    // Neither the refresh flag nor the switch was left behind.
    emu::calls::UpdatedItem(bolt, false, false);
    EXPECT_EQ(CounterFloats(bolt), Record(0));
    EXPECT_EQ(s.Errors().size(), 1u);
    EXPECT_TRUE(s.ReleasedEverything());
}

// A failure of the plug-in's own work inside a crafting detour: one line, then the game goes on
// as it would without the plug-in, and counting stays switched on. Runs `act` while the host
// cannot resolve `name`; the line the plug-in logs for it.
std::string WithoutLookUp(const std::string& name, const std::function<void()>& act) {
    emuhost::NameRegistry::Instance().FailResolution(name);
    act();
    emuhost::NameRegistry::Instance().ClearFaults();
    return "Thalassovex hook failed: Host call failed for '" + name + "'";
}

TEST(CraftingFaults, CraftStartGoesToTheGameWhenTheCheckFails) {
    CraftingScenario s("{}");
    emu::Item* bolt = s.world.GiveBolt();
    emu::FailNextAllocations(1);
    s.Craft(bolt);
    EXPECT_EQ(s.Errors(), std::vector<std::string>{"Thalassovex hook failed: std::bad_alloc"});
    EXPECT_EQ(s.JournalCount("CraftBlueprint"), 1u);
    EXPECT_TRUE(CounterFloats(bolt).empty());
    s.Craft(bolt);
    EXPECT_EQ(CounterFloats(bolt).size(), 3u);
    EXPECT_EQ(bolt->CraftQueue, 2);
    EXPECT_TRUE(s.ReleasedEverything());
}

TEST(CraftingFaults, CraftCompletionFailuresKeepTheGamesResult) {
    CraftingScenario s("{}");
    emu::Item* bolt = s.world.GiveBolt();
    s.BeginPlay();

    // Before the game's craft: it runs once, counted through the game's own announcement.
    s.Craft(bolt);
    const std::string failed = WithoutLookUp("FWeakObjectPtr.operator=(UObject*)", [&] {
        EXPECT_EQ(emu::calls::FinishCraftingBlueprint(bolt), 1);
    });
    EXPECT_EQ(s.Errors(), std::vector<std::string>{failed});
    EXPECT_EQ(s.JournalCount("FinishCraftingBlueprint"), 1u);
    EXPECT_EQ(CounterFloats(bolt), Record(1));

    // After it: the craft is counted up to the failure and the result stands.
    s.Craft(bolt);
    const std::string afterFailed = WithoutLookUp("UPrimalItem.UpdatedItem(bool,bool)", [&] {
        EXPECT_EQ(emu::calls::FinishCraftingBlueprint(bolt), 1);
    });
    EXPECT_EQ(s.Errors().back(), afterFailed);
    EXPECT_EQ(CounterFloats(bolt), Record(2));

    s.Craft(bolt);
    s.Game().Advance(2000);
    EXPECT_EQ(CounterFloats(bolt), Record(3));
    EXPECT_EQ(s.Errors().size(), 2u);
    EXPECT_TRUE(s.ReleasedEverything());
}

TEST(CraftingFaults, QueueLimitFailuresAnswerWithTheGamesOwn) {
    CraftingScenario s(R"({"MaxCraftingsPerBlueprint": 4, "AdoptTestBlueprints": {"7:8": 2}})");
    emu::Item* lantern = s.world.GiveLantern(7, 8);
    s.BeginPlay();
    EXPECT_EQ(s.Maximum(lantern), 2);

    emu::FailNextAllocations(1);
    EXPECT_EQ(s.Maximum(lantern), -1);
    const std::string failed =
        WithoutLookUp("UPrimalItem.CraftQueue", [&] { EXPECT_EQ(s.Maximum(lantern), -1); });
    EXPECT_EQ(s.Errors(),
              (std::vector<std::string>{"Thalassovex hook failed: std::bad_alloc", failed}));
    EXPECT_EQ(s.Maximum(lantern), 2);
    EXPECT_TRUE(s.ReleasedEverything());
}

TEST(CraftingFaults, RetentionFailureLetsTheGameRemoveTheBlueprint) {
    CraftingScenario s(R"({"AdoptTestBlueprints": {"7:8": 9}})");
    emu::Item* bolt = s.world.GiveBolt(7, 8);
    s.BeginPlay();
    s.Craft(bolt);
    const std::string failed =
        WithoutLookUp("UPrimalItem.OwnerInventory", [&] { s.Game().Advance(2000); });
    EXPECT_EQ(s.Errors(), std::vector<std::string>{failed});
    EXPECT_FALSE(s.InProcessorInventory(bolt));
    EXPECT_EQ(s.ProcessorItemCount(), s.world.Products());
    EXPECT_TRUE(s.ReleasedEverything());
}

TEST(CraftingFaults, GamesOwnFailuresPassThrough) {
    CraftingScenario s("{}");
    emu::Item* bolt = s.world.GiveBolt();
    s.BeginPlay();
    FItemNetID id = bolt->ItemID;
    emu::StatusComponent* status = s.world.Processor()->MyCharacterStatusComponent;
    txltest::SetSuccess(s.world.Processor(), -0.7f, -0.7f, -0.7f);  // below the cap
    for (const char* call :
         {"CraftBlueprint", "FinishCraftingBlueprint", "GetMaximumAdditionalCrafting", "RemoveItem",
          "BPGetCurrentStatusValue", "BPGetMaxStatusValue", "CanLevelUp"})
        s.Game().FailCall(call);
    EXPECT_THROW(s.Craft(bolt), std::runtime_error);
    bolt->CraftQueue = 1;
    EXPECT_THROW(emu::calls::FinishCraftingBlueprint(bolt), std::runtime_error);
    EXPECT_THROW(s.Maximum(bolt), std::runtime_error);
    EXPECT_THROW(
        emu::calls::RemoveItem(s.world.ProcessorInventory(), &id, false, false, true, false),
        std::runtime_error);
    EXPECT_THROW(emu::calls::BPGetCurrentStatusValue(status, txltest::kSuccess),
                 std::runtime_error);
    EXPECT_THROW(emu::calls::BPGetMaxStatusValue(status, txltest::kSuccess), std::runtime_error);
    EXPECT_THROW(emu::calls::CanLevelUp(status, txltest::kSuccess, false), std::runtime_error);
    EXPECT_TRUE(s.Errors().empty());

    // Still counting and enforcing.
    s.Game().Advance(2000);
    EXPECT_EQ(CounterFloats(bolt), Record(1));
    txltest::SetSuccess(s.world.Processor(), 0.4f, 0.4f, 0.4f);
    EXPECT_EQ(emu::calls::BPGetCurrentStatusValue(status, txltest::kSuccess), -0.5f);
    EXPECT_TRUE(s.ReleasedEverything());
}

}  // namespace
