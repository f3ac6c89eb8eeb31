#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "crafting/CraftCounter.h"
#include "crafting/CraftingScenario.h"
#include "plugin/HookTable.h"
#include "shared/PluginState.h"

// Shared blueprint copies, and the roads a player might take with them around a craft limit,
// with the plug-in's detours in this process and the game crafting.
namespace {

using txltest::CounterFloats;
using txltest::CounterLine;
using txltest::CustomDescription;
using txltest::Plugin;
using txltest::Record;
using txltest::Written;

class SharedCopyTest : public txltest::CraftingTest {
  protected:
    void SetUp() override {
        CraftingTest::SetUp();
        txl::InstallHooks();
    }
    emu::Game& Game() { return world.Game(); }

    // A bolt counted in the processor with `used` crafts done, then put away in a box.
    emu::Item* CountedRootInBox(emu::ItemContainer* box, int used = 0, std::uint32_t id1 = 0,
                                std::uint32_t id2 = 0) {
        emu::Item* root = world.CountedBolt(used, id1, id2);
        world.MoveItem(root, box->MyInventoryComponent);
        return root;
    }
    // A copy in the processor sharing `source` in `box`.
    emu::Item* CopyOf(emu::Item* source, emu::ItemContainer* box) {
        emu::Item* copy = world.GiveBolt();
        Game().AddSharingEntry(copy, source, box);
        return copy;
    }
    // `copies` copies as the game shares them, each in a box of its own sharing the one before;
    // the last one is moved into the processor.
    emu::Item* ChainOf(emu::Item* root, emu::ItemContainer* rootBox, int copies) {
        emu::Item* link = root;
        emu::ItemContainer* linkBox = rootBox;
        for (int i = 0; i < copies; ++i) {
            emu::ItemContainer* box = world.SpawnBox();
            link = Game().ShareBlueprint(box->MyInventoryComponent, link, linkBox);
            linkBox = box;
        }
        world.MoveItem(link, world.ProcessorInventory());
        return link;
    }
    // A copy in the processor of a counted root in a box; then `destroy` runs on the box and root.
    emu::Item* CopyThenDestroy(
        const std::function<void(emu::ItemContainer* box, emu::Item* root)>& destroy) {
        emu::ItemContainer* box = world.SpawnBox();
        emu::Item* root = CountedRootInBox(box, 3);
        emu::Item* copy = ChainOf(root, box, 1);
        destroy(box, root);
        return copy;
    }
    // A player queues `times` crafts, `rounds` times over while the blueprint is there, and lets
    // each round finish; the crafts finished in the test so far.
    int Craft(emu::Item* item, int times, int rounds = 1) {
        const FWeakObjectPtr weak = Game().MakeWeak(&item->Object);
        for (int r = 0; r < rounds && Game().ResolveWeak(weak) != nullptr; ++r) {
            for (int i = 0; i < times; ++i) emu::calls::CraftBlueprint(item, false);
            Game().Advance(2000 * times);
        }
        return Finished();
    }
    int Finished() {
        return static_cast<int>(Game().Log().Calls("FinishCraftingBlueprint").size());
    }
};

TEST_F(SharedCopyTest, CopyMirrorsItsSourceEveryTime) {
    emu::ItemContainer* box = world.SpawnBox();
    emu::Item* source = CountedRootInBox(box, 4, 8, 9);
    // Neither an engram nor a plain item with the same id makes the source ambiguous.
    for (bool blueprint : {true, false}) {
        emu::ItemSpec spec;
        spec.itemClass = world.Classes().limitedBlueprint;
        spec.blueprint = blueprint;
        spec.engram = blueprint;
        spec.id = FItemNetID{8, 9};
        Game().GiveItem(box->MyInventoryComponent, spec);
    }
    emu::Item* copy = CopyOf(source, box);
    copy->CustomItemID = 9;
    emu::SetItemFlag(*copy, emu::kHideCustomDescriptionBit, true);

    EXPECT_EQ(txl::ResolveSourceBlueprint(Plugin(copy)), Plugin(source));
    EXPECT_EQ(txl::ResolveSourceBlueprint(Plugin(source)), Plugin(source));
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(copy)));
    EXPECT_EQ(Written(copy), std::tuple(Record(4), 5, CounterLine(6, 10)));
    EXPECT_TRUE(emu::ItemFlag(*copy, emu::kForceAllowCustomItemDescriptionBit));
    EXPECT_FALSE(emu::ItemFlag(*copy, emu::kHideCustomDescriptionBit));
    // A copy counts as changed every time, so the inventory refresh announces it again.
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(copy)));
    txl::RefreshInventoryCounters(reinterpret_cast<UObject*>(world.Processor()));
    txl::RefreshInventoryCounters(reinterpret_cast<UObject*>(world.Processor()));
    EXPECT_EQ(Game().Log().Calls("UpdatedItem").size(), 2u);
    EXPECT_FALSE(txl::IsBlueprintExhausted(Plugin(copy)));
    EXPECT_EQ(world.Maximum(copy), 6);
    // More crafts left by the game's count than by the record give nothing back.
    copy->CustomItemID = source->CustomItemID = 9;
    txl::RefreshBlueprintCounter(Plugin(copy));
    EXPECT_EQ(CounterFloats(source), Record(4));
}

TEST_F(SharedCopyTest, CopiesWithoutASourceAreNeverCraftedFrom) {
    // A copy of a counted root in a box, whose sharing entry may then be changed.
    const auto copyInBox = [&] {
        emu::ItemContainer* box = world.SpawnBox();
        return CopyOf(CountedRootInBox(box), box);
    };
    // A copy of a root in a box that also holds a blueprint with the id `decoy`:3.
    const auto copyBesideDecoy = [&](std::uint32_t root, std::uint32_t decoy) {
        emu::ItemContainer* box = world.SpawnBox();
        emu::Item* source = CountedRootInBox(box, 0, root, 3);
        world.GiveBlueprint(world.Classes().limitedBlueprint, box->MyInventoryComponent, decoy, 3);
        return CopyOf(source, box);
    };
    struct Road {
        const char* name;
        std::function<emu::Item*()> make;
        std::function<void(FCustomItemData&)> change = nullptr;
    };
    const std::vector<Road> roads = {
        {"two blueprints with the source's id", [&] { return copyBesideDecoy(5, 5); }},
        {"ids that differ below single precision",
         [&] { return copyBesideDecoy(16777217, 16777216); }},
        {"source in another box",
         [&] { return CopyOf(CountedRootInBox(world.SpawnBox()), world.SpawnBox()); }},
        {"only an engram with the source's id",
         [&] {
             emu::ItemContainer* box = world.SpawnBox();
             emu::ItemSpec spec;
             spec.itemClass = world.Classes().limitedBlueprint;
             spec.blueprint = spec.engram = true;
             return CopyOf(Game().GiveItem(box->MyInventoryComponent, spec), box);
         }},
        {"not a container", copyInBox,
         [&](FCustomItemData& entry) {
             entry.CustomDataObjects.Data[0] =
                 reinterpret_cast<UObject*>(Game().SpawnCreature(world.Classes().creature, 1));
         }},
        {"null object", copyInBox,
         [](FCustomItemData& entry) { entry.CustomDataObjects.Data[0] = nullptr; }},
        {"one float", copyInBox,
         [](FCustomItemData& entry) { entry.CustomDataFloats.ArrayNum = 1; }},
        {"infinite id", copyInBox,
         [](FCustomItemData& entry) { entry.CustomDataFloats.Data[1] = INFINITY; }},
        {"copies sharing each other",
         [&] {
             emu::ItemContainer* boxA = world.SpawnBox();
             emu::ItemContainer* boxB = world.SpawnBox();
             emu::Item* a = world.GiveBolt();
             world.MoveItem(a, boxA->MyInventoryComponent);
             emu::Item* b = world.GiveBolt();
             world.MoveItem(b, boxB->MyInventoryComponent);
             Game().AddSharingEntry(a, b, boxB);
             Game().AddSharingEntry(b, a, boxA);
             world.MoveItem(a, world.ProcessorInventory());
             return a;
         }},
        {"a chain of 16 copies",
         [&] {
             emu::ItemContainer* box = world.SpawnBox();
             return ChainOf(CountedRootInBox(box, 3), box, 16);
         }},
        {"the box is being destroyed",
         [&] {
             return CopyThenDestroy([&](auto* box, auto*) { Game().DestroyActor(&box->Base); });
         }},
        {"the box alone is being destroyed",
         [&] {
             return CopyThenDestroy(
                 [&](auto* box, auto*) { Game().DestroyObject(&box->Base.Object); });
         }},
        {"the source is being destroyed",
         [&] {
             return CopyThenDestroy(
                 [&](auto*, auto* root) { Game().DestroyObject(&root->Object); });
         }},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        emu::Item* copy = road.make();
        if (road.change) road.change(copy->CustomItemDatas.Data[0]);
        const auto records = CounterFloats(copy);
        EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(copy)));
        EXPECT_EQ(CounterFloats(copy), records);
        EXPECT_TRUE(txl::IsBlueprintExhausted(Plugin(copy)));
        // Every entry refuses: the queue question, the craft start and the craft finish.
        Game().Log().Clear();
        EXPECT_EQ(world.Maximum(copy), 0);
        emu::calls::CraftBlueprint(copy, false);
        EXPECT_EQ(Game().Log().Calls("CraftBlueprint").size(), 0u);
        copy->CraftQueue = 1;
        EXPECT_EQ(emu::calls::FinishCraftingBlueprint(copy), 0);
        EXPECT_EQ(Finished(), 0);
        copy->CraftQueue = 0;
    }
    EXPECT_EQ(txl::ResolveSourceBlueprint(nullptr), nullptr);
}

TEST_F(SharedCopyTest, CopiesOfCopiesCountAgainstTheRoot) {
    for (int copies : {1, 2, 3, 15}) {
        SCOPED_TRACE(copies);
        Game().Log().Clear();
        emu::ItemContainer* box = world.SpawnBox();
        emu::Item* root = CountedRootInBox(box, 3);
        emu::Item* copy = ChainOf(root, box, copies);
        EXPECT_EQ(world.Maximum(copy), 7);
        // After each craft the copy is mirrored again and announced after the root.
        Craft(copy, 1);
        EXPECT_EQ(std::tuple(CounterFloats(copy), copy->CustomItemID), std::tuple(Record(4), 5));
        EXPECT_EQ(Game().Log().Calls("UpdatedItem").back().target, copy);
        EXPECT_EQ(Craft(copy, 10, 3), 7);
        EXPECT_EQ(CounterFloats(root), Record(10));
    }
}

TEST_F(SharedCopyTest, CopyInAProcessorGivesItsSourceACounter) {
    struct Road {
        bool adopted;
        int copies;
        int allowed;
    };
    for (Road road : {Road{false, 2, 10}, Road{true, 1, 5}}) {
        SCOPED_TRACE(road.adopted);
        Game().Log().Clear();
        emu::ItemContainer* box = world.SpawnBox();
        emu::Class* cls =
            road.adopted ? world.Classes().unlimitedBlueprint : world.Classes().limitedBlueprint;
        emu::Item* root = world.GiveBlueprint(cls, box->MyInventoryComponent);
        if (road.adopted) {
            txl::State().MaxCrafts = 5;
            txl::State().AdoptionCounts = {{txltest::Key(root), 0}};
        }
        for (int i = 0; i < road.copies; ++i) Craft(ChainOf(root, box, 1), 5, 5);
        EXPECT_EQ(Finished(), road.allowed);
        EXPECT_EQ(CounterFloats(root), Record(road.allowed, road.allowed));
    }

    // A copy outside any processor gives its source nothing and leaves the copy alone.
    emu::ItemContainer* box = world.SpawnBox();
    emu::Item* source =
        world.GiveBlueprint(world.Classes().limitedBlueprint, box->MyInventoryComponent);
    emu::Item* copy = CopyOf(source, box);
    world.MoveItem(copy, world.SpawnBox()->MyInventoryComponent);
    txltest::SetCustomDescription(copy, L"as it was");
    EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(copy)));
    EXPECT_TRUE(CounterFloats(source).empty());
    EXPECT_TRUE(CounterFloats(copy).empty());
    EXPECT_EQ(CustomDescription(copy), L"as it was");
    EXPECT_FALSE(txl::IsBlueprintExhausted(Plugin(copy)));
}

TEST_F(SharedCopyTest, CraftsFromACopyWhileTheSwitchWasOffAreKept) {
    emu::ItemContainer* box = world.SpawnBox();
    emu::Item* root = CountedRootInBox(box, 3);
    emu::Item* copy = ChainOf(root, box, 1);
    emu::Item* second = ChainOf(root, box, 1);
    emu::calls::BeginPlay(world.Processor());
    EXPECT_EQ(world.Maximum(copy), 7);
    const std::vector<float> mirrored = CounterFloats(copy);
    txl::State().EnforcementEnabled = false;
    Craft(copy, 6);
    // Nothing is counted while the switch is off; the game's own count is taken over after.
    EXPECT_EQ(CounterFloats(copy), mirrored);
    txl::State().EnforcementEnabled = true;
    EXPECT_EQ(world.Maximum(copy), 1);
    // Never past the maximum.
    txl::State().EnforcementEnabled = false;
    Craft(second, 6);
    txl::State().EnforcementEnabled = true;
    EXPECT_EQ(world.Maximum(second), 0);
    EXPECT_EQ(CounterFloats(root), Record(10));

    // A copy without an earlier record of this root is not trusted: its game count says nothing.
    emu::Item* other = CountedRootInBox(box, 3);
    for (const std::vector<float>& record :
         {std::vector<float>{}, {1.0f, 50.0f, 0.0f}, {2.0f, 10.0f, 0.0f}}) {
        emu::Item* fresh = CopyOf(other, box);
        if (!record.empty()) txltest::SetCounterFloats(fresh, record);
        fresh->CustomItemID = 0;
        EXPECT_EQ(world.Maximum(fresh), 7);
    }
}

}  // namespace
