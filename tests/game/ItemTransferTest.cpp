#include <gtest/gtest.h>

#include "crafting/CraftingScenario.h"
#include "emugame/GameCalls.h"
#include "emuhost/CommandRegistry.h"

namespace {

using txltest::CounterFloats;
using txltest::CounterLine;
using txltest::CustomDescription;

std::vector<float> Counter(float used) {
    return {1.0f, 10.0f, used};
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

class SourceInBox : public ::testing::Test {
  protected:
    void SetUp() override {
        source = s.world.GiveBolt();
        s.BeginPlay();
        box = s.world.SpawnBox();
        s.Game().MoveItem(source, box->MyInventoryComponent);
        copy = s.Game().ShareBlueprint(s.world.ProcessorInventory(), source, box);
    }

    txltest::CraftingScenario s{"{}"};
    emu::Item* source = nullptr;
    emu::ItemContainer* box = nullptr;
    emu::Item* copy = nullptr;
};

TEST_F(SourceInBox, CopysCraftsCountAgainstItUntilBothAreUsedUp) {
    // The game's announcement of the new copy is enough for it to mirror its source.
    EXPECT_EQ(CounterFloats(copy), Counter(0));
    s.Craft(copy, 10);
    s.Game().Advance(20000);
    EXPECT_EQ(CounterFloats(source), Counter(10));
    EXPECT_EQ(source->CustomItemID, -1);
    EXPECT_EQ(CustomDescription(source), CounterLine(0, 10) + L" - Craft limit reached");
    // The game used the copy up; the source stays in its box, exhausted.
    EXPECT_FALSE(s.InProcessorInventory(copy));
    EXPECT_EQ(box->MyInventoryComponent->InventoryItems.Data[0], source);

    emu::Item* another = s.Game().ShareBlueprint(s.world.ProcessorInventory(), source, box);
    EXPECT_EQ(s.Maximum(another), 0);
    s.Craft(another);
    EXPECT_EQ(another->CraftQueue, 0);
    EXPECT_EQ(s.JournalCount("StopCraftingRepairing"), 1u);
    EXPECT_TRUE(s.Errors().empty());
    EXPECT_TRUE(s.ReleasedEverything());
}

TEST_F(SourceInBox, DestroyedBoxLeavesItsCopyWithoutASourceAfterCollection) {
    s.Craft(copy, 2);
    s.Game().Advance(4000);
    ASSERT_EQ(CounterFloats(source), Counter(2));

    s.Game().DestroyActor(&box->Base);
    // Everything that refreshes the processor meets the pending-kill box, then a null reference.
    emu::calls::ServerMultiUse(s.Game().PlayerController(), &s.world.Processor()->Base.Object, 0);
    emuhost::CommandRegistry::Instance().FireTimers();
    s.Craft(copy);
    s.Game().Advance(2000);
    FWeakObjectPtr boxRef = s.Game().MakeWeak(&box->Base.Object);
    s.Game().Advance(emu::Game::kCollectionIntervalMs);
    EXPECT_EQ(s.Game().ResolveWeak(boxRef, true), nullptr);
    EXPECT_EQ(copy->CustomItemDatas.Data[0].CustomDataObjects.Data[0], nullptr);

    emu::calls::ServerMultiUse(s.Game().PlayerController(), &s.world.Processor()->Base.Object, 0);
    emuhost::CommandRegistry::Instance().FireTimers();
    EXPECT_EQ(s.Maximum(copy), 0);
    s.Craft(copy);
    EXPECT_EQ(copy->CraftQueue, 0);
    // Refused before the collection too: a box being destroyed is no source.
    EXPECT_EQ(s.JournalCount("StopCraftingRepairing"), 2u);
    EXPECT_TRUE(s.Errors().empty());
    EXPECT_TRUE(s.ReleasedEverything());
}

}  // namespace
