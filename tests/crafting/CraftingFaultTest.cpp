#include <gtest/gtest.h>

#include <stdexcept>

#include "crafting/CraftingScenario.h"
#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "emuhost/NameRegistry.h"

// A failure of the plug-in's own work inside a crafting detour: one line, then the game goes on
// as it would without the plug-in, and counting stays switched on.
namespace {

using txltest::CounterFloats;
using txltest::CraftingScenario;

std::string HostFailure(const std::string& name) {
    return "Thalassovex hook failed: Host call failed for '" + name + "'";
}

void FailResolution(const std::string& name) {
    emuhost::NameRegistry::Instance().FailResolution(name);
}

void ClearFaults() {
    emuhost::NameRegistry::Instance().ClearFaults();
}

TEST(CraftingFaults, CraftStartGoesToTheGameWhenTheCheckFails) {
    CraftingScenario s(R"({"AdoptTestBlueprints": {"7:8": 10}})");
    emu::Item* bolt = s.world.GiveBolt();
    emu::FailNextAllocations(1);
    s.Craft(bolt);
    EXPECT_EQ(s.Errors(), std::vector<std::string>{"Thalassovex hook failed: std::bad_alloc"});
    EXPECT_EQ(s.JournalCount("CraftBlueprint"), 1u);
    EXPECT_TRUE(CounterFloats(bolt).empty());
    s.Craft(bolt);
    EXPECT_EQ(CounterFloats(bolt).size(), 3u);
    EXPECT_EQ(bolt->CraftQueue, 2);

    // Refusing a used-up blueprint fails: the game starts the craft.
    emu::Item* spent = s.world.GiveBlueprint(s.world.Classes().limitedBlueprint,
                                             s.world.ProcessorInventory(), 7, 8);
    s.BeginPlay();
    FailResolution("UPrimalItem.StopCraftingRepairing(bool)");
    s.Craft(spent);
    ClearFaults();
    EXPECT_EQ(s.Errors().back(), HostFailure("UPrimalItem.StopCraftingRepairing(bool)"));
    EXPECT_EQ(spent->CraftQueue, 1);
    s.Craft(spent);
    EXPECT_EQ(spent->CraftQueue, 0);
    EXPECT_EQ(s.Errors().size(), 2u);
    EXPECT_TRUE(s.ReleasedEverything());
}

TEST(CraftingFaults, CraftCompletionFailuresKeepTheGamesResult) {
    CraftingScenario s("{}");
    emu::Item* bolt = s.world.GiveBolt();
    s.BeginPlay();

    // Before the game's craft: it runs once, counted through the game's own announcement.
    s.Craft(bolt);
    FailResolution("FWeakObjectPtr.operator=(UObject*)");
    EXPECT_EQ(emu::calls::FinishCraftingBlueprint(bolt), 1);
    ClearFaults();
    EXPECT_EQ(s.Errors(),
              std::vector<std::string>{HostFailure("FWeakObjectPtr.operator=(UObject*)")});
    EXPECT_EQ(s.JournalCount("FinishCraftingBlueprint"), 1u);
    EXPECT_EQ(CounterFloats(bolt), (std::vector<float>{1.0f, 10.0f, 1.0f}));

    // After it: the craft is counted up to the failure and the result stands.
    s.Craft(bolt);
    FailResolution("UPrimalItem.UpdatedItem(bool,bool)");
    EXPECT_EQ(emu::calls::FinishCraftingBlueprint(bolt), 1);
    ClearFaults();
    EXPECT_EQ(s.Errors().back(), HostFailure("UPrimalItem.UpdatedItem(bool,bool)"));
    EXPECT_EQ(CounterFloats(bolt), (std::vector<float>{1.0f, 10.0f, 2.0f}));

    s.Craft(bolt);
    s.Game().Advance(2000);
    EXPECT_EQ(CounterFloats(bolt), (std::vector<float>{1.0f, 10.0f, 3.0f}));
    EXPECT_EQ(s.Errors().size(), 2u);
    EXPECT_TRUE(s.ReleasedEverything());
}

TEST(CraftingFaults, QueueLimitFailuresAnswerWithTheGamesOwn) {
    CraftingScenario s(R"({"MaxCraftingsPerBlueprint": 4, "AdoptTestBlueprints": {"7:8": 2}})");
    emu::Item* lantern = s.world.GiveBlueprint(s.world.Classes().unlimitedBlueprint,
                                               s.world.ProcessorInventory(), 7, 8);
    s.BeginPlay();
    EXPECT_EQ(s.Maximum(lantern), 2);

    emu::FailNextAllocations(1);
    EXPECT_EQ(s.Maximum(lantern), -1);
    FailResolution("UPrimalItem.CraftQueue");
    EXPECT_EQ(s.Maximum(lantern), -1);
    ClearFaults();
    EXPECT_EQ(s.Errors(), (std::vector<std::string>{"Thalassovex hook failed: std::bad_alloc",
                                                    HostFailure("UPrimalItem.CraftQueue")}));
    EXPECT_EQ(s.Maximum(lantern), 2);
    EXPECT_TRUE(s.ReleasedEverything());
}

TEST(CraftingFaults, RetentionFailureLetsTheGameRemoveTheBlueprint) {
    CraftingScenario s(R"({"AdoptTestBlueprints": {"7:8": 9}})");
    emu::Item* bolt = s.world.GiveBlueprint(s.world.Classes().limitedBlueprint,
                                            s.world.ProcessorInventory(), 7, 8);
    s.BeginPlay();
    s.Craft(bolt);
    FailResolution("UPrimalItem.OwnerInventory");
    s.Game().Advance(2000);
    ClearFaults();
    EXPECT_EQ(s.Errors(), std::vector<std::string>{HostFailure("UPrimalItem.OwnerInventory")});
    EXPECT_FALSE(s.InProcessorInventory(bolt));
    EXPECT_EQ(s.ProcessorItemCount(), s.Products());
    EXPECT_TRUE(s.ReleasedEverything());
}

TEST(CraftingFaults, GamesOwnFailuresPassThrough) {
    CraftingScenario s("{}");
    emu::Item* bolt = s.world.GiveBolt();
    s.BeginPlay();
    FItemNetID id = bolt->ItemID;
    for (const char* call : {"CraftBlueprint", "FinishCraftingBlueprint",
                             "GetMaximumAdditionalCrafting", "RemoveItem"})
        s.Game().FailCall(call);
    EXPECT_THROW(s.Craft(bolt), std::runtime_error);
    bolt->CraftQueue = 1;
    EXPECT_THROW(emu::calls::FinishCraftingBlueprint(bolt), std::runtime_error);
    EXPECT_THROW(s.Maximum(bolt), std::runtime_error);
    EXPECT_THROW(
        emu::calls::RemoveItem(s.world.ProcessorInventory(), &id, false, false, true, false),
        std::runtime_error);
    EXPECT_TRUE(s.Errors().empty());

    // Still counting.
    s.Game().Advance(2000);
    EXPECT_EQ(CounterFloats(bolt), (std::vector<float>{1.0f, 10.0f, 1.0f}));
    EXPECT_TRUE(s.ReleasedEverything());
}

}  // namespace
