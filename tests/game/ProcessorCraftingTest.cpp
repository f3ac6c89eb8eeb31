#include <gtest/gtest.h>

#include "crafting/CraftingScenario.h"
#include "emugame/GameCalls.h"
#include "processor/ProcessorTestWorld.h"

// Crafting in a processor as the game sees it: what its products come to and where its
// blueprints may go.
namespace {

using txltest::CounterFloats;
using txltest::CounterLine;
using txltest::CustomDescription;
using txltest::kSuccess;

std::vector<float> Counter(float used) {
    return {1.0f, 10.0f, used};
}

constexpr int kCrafts = 400;

// Crafts from an unlimited blueprint in a wild processor whose stored success is 0.9 (a chance
// of 1.9), and gives back how many of them yielded a product.
unsigned SuccessesOfWildProcessor(txltest::CraftingScenario& s) {
    emu::Game& game = s.Game();
    game.SetCraftRolls(7, 0);
    emu::Character* wild = game.SpawnCreature(s.world.Classes().processor, 0);
    txltest::SetSuccess(wild, 0.9f, 0.9f, 0.9f);
    game.BeginPlay(wild);
    emu::Item* lantern =
        s.world.GiveBlueprint(s.world.Classes().unlimitedBlueprint, wild->MyInventoryComponent);
    for (int i = 0; i < kCrafts; ++i) emu::calls::CraftBlueprint(lantern, false);
    game.Advance(2000LL * kCrafts);
    EXPECT_EQ(lantern->CraftsSucceeded + lantern->CraftsFailed, unsigned{kCrafts});
    EXPECT_EQ(wild->MyInventoryComponent->InventoryItems.ArrayNum,
              1 + static_cast<int32>(lantern->CraftsSucceeded));
    // A wild processor keeps what it stores; only the reads are clipped.
    EXPECT_EQ(wild->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.9f);
    return lantern->CraftsSucceeded;
}

TEST(CraftOutcome, WildProcessorCraftsAtTheCappedChance) {
    txltest::CraftingScenario s(R"({"MaxCraftChancePercent": 30})");
    unsigned successes = SuccessesOfWildProcessor(s);
    // 30 % of 400 is 120; the seed is fixed, the band is what the chance allows.
    EXPECT_GT(successes, 90u);
    EXPECT_LT(successes, 150u);
    auto finished = s.Game().Log().Calls("FinishCraftingBlueprint");
    ASSERT_FALSE(finished.empty());
    EXPECT_NE(finished[0].arguments.find(",0.3"), std::string::npos) << finished[0].arguments;
    EXPECT_TRUE(s.Errors().empty());
}

TEST(CraftOutcome, WithoutTheCapEveryCraftOfTheSameSeedSucceeds) {
    txltest::CraftingScenario s(R"({"Enabled": false})");
    EXPECT_EQ(SuccessesOfWildProcessor(s), unsigned{kCrafts});
}

TEST(ItemTransfer, BlueprintMovedOutOfTheProcessorAndBackKeepsItsCounter) {
    txltest::CraftingScenario s("{}");
    emu::Item* bolt = s.world.GiveBolt();
    s.BeginPlay();
    s.Craft(bolt, 3);
    s.Game().Advance(6000);
    ASSERT_EQ(CounterFloats(bolt), Counter(3));

    emu::Character* strider = s.Game().SpawnCreature(s.world.Classes().creature, 50000);
    emu::ItemContainer* box = s.world.SpawnBox();
    s.Game().Log().Clear();
    s.Game().MoveItem(bolt, strider->MyInventoryComponent);
    s.Game().MoveItem(bolt, box->MyInventoryComponent);
    s.Game().MoveItem(bolt, s.world.ProcessorInventory());
    auto announced = s.Game().Log().Calls("UpdatedItem");
    ASSERT_EQ(announced.size(), 3u);
    EXPECT_EQ(announced[2].target, bolt);
    EXPECT_TRUE(s.InProcessorInventory(bolt));
    EXPECT_EQ(CounterFloats(bolt), Counter(3));
    EXPECT_EQ(bolt->CustomItemID, 6);
    EXPECT_EQ(CustomDescription(bolt), CounterLine(7, 10));

    s.Craft(bolt);
    s.Game().Advance(2000);
    EXPECT_EQ(CounterFloats(bolt), Counter(4));
    EXPECT_TRUE(s.Errors().empty());
    EXPECT_TRUE(s.ReleasedEverything());
}

}  // namespace
