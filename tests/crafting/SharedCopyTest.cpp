#include <gtest/gtest.h>

#include "crafting/CraftCounter.h"
#include "crafting/CraftingWorld.h"
#include "emugame/Allocator.h"
#include "shared/PluginState.h"

namespace {

using txltest::CounterFloats;
using txltest::CounterLine;
using txltest::CustomDescription;

UPrimalItem* Plugin(emu::Item* item) {
    return reinterpret_cast<UPrimalItem*>(item);
}

class SharedCopyTest : public ::testing::Test {
  protected:
    void SetUp() override { txltest::ResetPluginSettings(); }

    // A counted source that now sits in a storage box, and a copy in the processor sharing it.
    emu::Item* CountedSourceInBox(emu::ItemContainer* box, std::uint32_t id1 = 0,
                                  std::uint32_t id2 = 0) {
        emu::Item* source = world.GiveBlueprint(world.Classes().limitedBlueprint,
                                                world.ProcessorInventory(), id1, id2);
        EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(source)));
        world.MoveItem(source, box->MyInventoryComponent);
        return source;
    }
    emu::Item* CopyOf(emu::Item* source, emu::ItemContainer* box) {
        emu::Item* copy = world.GiveBolt();
        world.Game().AddSharingEntry(copy, source, box);
        return copy;
    }

    txltest::CraftingWorld world;
};

TEST_F(SharedCopyTest, CopyMirrorsItsSourceEveryTime) {
    emu::ItemContainer* box = world.SpawnBox();
    emu::Item* source = CountedSourceInBox(box);
    source->CustomItemDatas.Data[0].CustomDataFloats.Data[2] = 4.0f;
    source->CustomItemID = 5;
    emu::Item* copy = CopyOf(source, box);
    copy->CustomItemID = 9;
    emu::SetItemFlag(*copy, emu::kHideCustomDescriptionBit, true);

    EXPECT_EQ(txl::ResolveSourceBlueprint(Plugin(copy)), Plugin(source));
    EXPECT_EQ(txl::ResolveSourceBlueprint(Plugin(source)), Plugin(source));
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(copy)));
    EXPECT_EQ(CounterFloats(copy), (std::vector<float>{1.0f, 10.0f, 4.0f}));
    EXPECT_EQ(copy->CustomItemID, 5);
    EXPECT_EQ(CustomDescription(copy), CounterLine(6, 10));
    EXPECT_TRUE(emu::ItemFlag(*copy, emu::kForceAllowCustomItemDescriptionBit));
    EXPECT_FALSE(emu::ItemFlag(*copy, emu::kHideCustomDescriptionBit));
    // A copy counts as changed every time, so the inventory refresh announces it again.
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(copy)));
    txl::RefreshInventoryCounters(reinterpret_cast<UObject*>(world.Processor()));
    txl::RefreshInventoryCounters(reinterpret_cast<UObject*>(world.Processor()));
    EXPECT_EQ(world.Game().Log().Calls("UpdatedItem").size(), 2u);
    EXPECT_FALSE(txl::IsBlueprintExhausted(Plugin(copy)));
}

TEST_F(SharedCopyTest, CopyWithoutAUniqueSourceIsExhausted) {
    emu::ItemContainer* box = world.SpawnBox();
    emu::Item* source = CountedSourceInBox(box, 5, 6);
    world.GiveBlueprint(world.Classes().limitedBlueprint, box->MyInventoryComponent, 5, 6);
    emu::Item* ambiguous = CopyOf(source, box);

    // Ids above 16777216 differ below single precision: both blueprints match.
    emu::ItemContainer* bigBox = world.SpawnBox();
    emu::Item* big = CountedSourceInBox(bigBox, 16777217, 3);
    world.GiveBlueprint(world.Classes().limitedBlueprint, bigBox->MyInventoryComponent, 16777216,
                        3);
    emu::Item* imprecise = CopyOf(big, bigBox);

    emu::ItemContainer* emptyBox = world.SpawnBox();
    emu::Item* orphan = CopyOf(source, emptyBox);

    for (emu::Item* copy : {ambiguous, imprecise, orphan}) {
        EXPECT_EQ(txl::ResolveSourceBlueprint(Plugin(copy)), nullptr);
        EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(copy)));
        EXPECT_TRUE(CounterFloats(copy).empty());
        EXPECT_TRUE(txl::IsBlueprintExhausted(Plugin(copy)));
    }
}

TEST_F(SharedCopyTest, OnlyABlueprintIsEverASource) {
    emu::ItemContainer* box = world.SpawnBox();
    emu::Item* source = CountedSourceInBox(box, 8, 9);
    auto give = [&](bool blueprint, bool engram) {
        emu::ItemSpec spec;
        spec.itemClass = world.Classes().limitedBlueprint;
        spec.blueprint = blueprint;
        spec.engram = engram;
        spec.id = FItemNetID{8, 9};
        return world.Game().GiveItem(box->MyInventoryComponent, spec);
    };
    // Neither an engram nor a plain item with the same id makes the source ambiguous.
    give(true, true);
    give(false, false);
    emu::Item* copy = CopyOf(source, box);
    EXPECT_EQ(txl::ResolveSourceBlueprint(Plugin(copy)), Plugin(source));

    // Without the blueprint, neither stands in for it.
    for (bool blueprint : {true, false}) {
        emu::ItemContainer* otherBox = world.SpawnBox();
        emu::Item* lone = give(blueprint, blueprint);
        world.MoveItem(lone, otherBox->MyInventoryComponent);
        EXPECT_EQ(txl::ResolveSourceBlueprint(Plugin(CopyOf(lone, otherBox))), nullptr);
    }
}

TEST_F(SharedCopyTest, MalformedSharingEntriesResolveToNothing) {
    emu::ItemContainer* box = world.SpawnBox();
    emu::Item* source = CountedSourceInBox(box);
    emu::Character* strider = world.Game().SpawnCreature(world.Classes().creature, 1);

    emu::Item* notAContainer = CopyOf(source, box);
    notAContainer->CustomItemDatas.Data[0].CustomDataObjects.Data[0] =
        reinterpret_cast<UObject*>(strider);
    emu::Item* nullObject = CopyOf(source, box);
    nullObject->CustomItemDatas.Data[0].CustomDataObjects.Data[0] = nullptr;
    emu::Item* oneFloat = CopyOf(source, box);
    oneFloat->CustomItemDatas.Data[0].CustomDataFloats.ArrayNum = 1;
    emu::Item* infinite = CopyOf(source, box);
    infinite->CustomItemDatas.Data[0].CustomDataFloats.Data[1] = INFINITY;

    for (emu::Item* copy : {notAContainer, nullObject, oneFloat, infinite})
        EXPECT_EQ(txl::ResolveSourceBlueprint(Plugin(copy)), nullptr);
    EXPECT_EQ(txl::ResolveSourceBlueprint(nullptr), nullptr);
}

TEST_F(SharedCopyTest, SourceWithoutCounterLeavesTheCopyAlone) {
    emu::ItemContainer* box = world.SpawnBox();
    emu::Item* source =
        world.GiveBlueprint(world.Classes().limitedBlueprint, box->MyInventoryComponent);
    emu::Item* copy = CopyOf(source, box);
    txltest::SetCustomDescription(copy, L"as it was");

    EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(copy)));
    EXPECT_TRUE(CounterFloats(copy).empty());
    EXPECT_EQ(CustomDescription(copy), L"as it was");
    EXPECT_FALSE(txl::IsBlueprintExhausted(Plugin(copy)));
}

TEST_F(SharedCopyTest, CopiesPointingAtEachOtherStopAndAreNeverCraftedFrom) {
    emu::ItemContainer* boxA = world.SpawnBox();
    emu::ItemContainer* boxB = world.SpawnBox();
    emu::Item* a = world.GiveBolt();
    world.MoveItem(a, boxA->MyInventoryComponent);
    emu::Item* b = world.GiveBolt();
    world.MoveItem(b, boxB->MyInventoryComponent);
    world.Game().AddSharingEntry(a, b, boxB);
    world.Game().AddSharingEntry(b, a, boxA);

    EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(a)));
    EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(b)));
    EXPECT_TRUE(txl::IsBlueprintExhausted(Plugin(a)));
    EXPECT_TRUE(txl::IsBlueprintExhausted(Plugin(b)));
    EXPECT_TRUE(CounterFloats(a).empty());
    EXPECT_TRUE(CounterFloats(b).empty());
}

TEST_F(SharedCopyTest, ChainsMirrorUpToTheNestingLimitAndAreExhaustedBeyondIt) {
    // links[i] shares links[i + 1]; the last one is the counted source.
    auto buildChain = [&](int copies) {
        std::vector<emu::Item*> links;
        emu::ItemContainer* sourceBox = world.SpawnBox();
        emu::Item* next = CountedSourceInBox(sourceBox);
        emu::ItemContainer* nextBox = sourceBox;
        for (int i = 0; i < copies; ++i) {
            emu::ItemContainer* box = world.SpawnBox();
            emu::Item* copy = CopyOf(next, nextBox);
            world.MoveItem(copy, box->MyInventoryComponent);
            links.insert(links.begin(), copy);
            next = copy;
            nextBox = box;
        }
        return links;
    };

    auto shortChain = buildChain(15);
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(shortChain.front())));
    EXPECT_EQ(CounterFloats(shortChain.front()), (std::vector<float>{1.0f, 10.0f, 0.0f}));
    EXPECT_FALSE(txl::IsBlueprintExhausted(Plugin(shortChain.front())));

    auto longChain = buildChain(200);
    EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(longChain.front())));
    EXPECT_TRUE(CounterFloats(longChain.front()).empty());
    EXPECT_TRUE(txl::IsBlueprintExhausted(Plugin(longChain.front())));
    // The limit holds per call: a link near the source still mirrors.
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(longChain[190])));
}

}  // namespace
