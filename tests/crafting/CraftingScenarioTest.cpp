#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "crafting/CraftingScenario.h"
#include "emuhost/NameRegistry.h"
#include "processor/ProcessorTestWorld.h"

namespace {

using txltest::CounterFloats;
using txltest::CounterLine;
using txltest::CraftingScenario;
using txltest::Key;
using txltest::Record;
using txltest::Written;

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
