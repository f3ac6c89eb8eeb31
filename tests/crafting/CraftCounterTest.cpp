#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "crafting/CraftCounter.h"
#include "crafting/CraftingScenario.h"
#include "emuhost/HookManager.h"
#include "plugin/HookTable.h"
#include "shared/PluginState.h"
#include "support/FunctionOverride.h"

namespace {

using txltest::CounterFloats;
using txltest::CounterLine;
using txltest::CustomDescription;
using txltest::Key;
using txltest::Plugin;
using txltest::Record;
using txltest::Written;
using CraftCounterTest = txltest::CraftingTest;

TEST_F(CraftCounterTest, AttachesTheClassLimitOnceInAProcessorInventory) {
    txl::State().Config.DebugLogging = true;
    emu::Item* bolt = world.GiveBolt();
    bolt->ItemDescription = emu::MakeString(L"A bolt.");

    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    EXPECT_EQ(Written(bolt), std::tuple(Record(0), 9, L"A bolt." + CounterLine(10, 10)));
    EXPECT_FALSE(emu::ItemFlag(*bolt, emu::kHideCustomDescriptionBit));
    EXPECT_TRUE(emu::ItemFlag(*bolt, emu::kForceAllowCustomItemDescriptionBit));
    EXPECT_EQ(world.InfoLines(),
              std::vector<std::string>{"TXL counter attached: " + Key(bolt) + " 0/10"});

    // Unchanged: nothing written, no buffer gained or lost, no second record.
    auto live = emu::LiveAllocations();
    EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    EXPECT_EQ(emu::LiveAllocations(), live);
    EXPECT_EQ(bolt->CustomItemDatas.ArrayNum, 1);
    EXPECT_EQ(world.InfoLines().size(), 1u);

    // A hidden description is shown again even when its text is right.
    emu::SetItemFlag(*bolt, emu::kHideCustomDescriptionBit, true);
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    EXPECT_FALSE(emu::ItemFlag(*bolt, emu::kHideCustomDescriptionBit));
}

TEST_F(CraftCounterTest, AttachesNothingToBlueprintsThatDoNotQualify) {
    auto& classes = world.Classes();
    emu::Item* lantern = world.GiveLantern();
    txltest::SetCustomDescription(lantern, L"mine");
    emu::Character* strider = world.Game().SpawnCreature(classes.creature, 60000);
    emu::Item* elsewhere =
        world.GiveBlueprint(classes.limitedBlueprint, strider->MyInventoryComponent);
    emu::Item* loose = world.GiveBlueprint(classes.limitedBlueprint, nullptr);
    emu::ItemSpec engramSpec;
    engramSpec.itemClass = classes.limitedBlueprint;
    engramSpec.blueprint = true;
    engramSpec.engram = true;
    emu::Item* engram = world.Game().GiveItem(world.ProcessorInventory(), engramSpec);
    // Adopted, but its class has no craft data at all.
    emu::Item* shell = world.GiveBlueprint(classes.resource, world.ProcessorInventory());
    txl::State().AdoptionCounts[Key(shell)] = 1;

    for (emu::Item* item : {lantern, elsewhere, loose, engram, shell}) {
        EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(item)));
        EXPECT_TRUE(CounterFloats(item).empty());
        EXPECT_FALSE(txl::IsBlueprintExhausted(Plugin(item)));
    }
    EXPECT_EQ(CustomDescription(lantern), L"mine");

    // Switched off: not even a qualifying blueprint is touched.
    emu::Item* bolt = world.GiveBolt();
    txl::State().EnforcementEnabled = false;
    EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    EXPECT_TRUE(CounterFloats(bolt).empty());
}

TEST_F(CraftCounterTest, AdoptsBlueprintsWithTheirCountCutToTheMaximum) {
    emu::Item* bolt = world.GiveBolt();
    txl::State().AdoptionCounts[Key(bolt)] = 30;  // above the class's 10
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    EXPECT_EQ(Written(bolt),
              std::tuple(Record(10), -1, CounterLine(0, 10) + L" - Craft limit reached"));
    EXPECT_TRUE(txl::IsBlueprintExhausted(Plugin(bolt)));

    // A smaller configured maximum caps the class's own.
    txl::State().MaxCrafts = 4;
    emu::Item* capped = world.GiveBolt();
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(capped)));
    EXPECT_EQ(CounterFloats(capped), Record(0, 4));
}

TEST_F(CraftCounterTest, NativeCountAndRecordSettleOnTheMoreUsedOne) {
    struct Case {
        bool limitedClass;
        int used;        // -1: no record yet
        int32 nativeId;  // the game's own count of crafts left, less one
        int adopted;     // -1: not adopted
        float expectedUsed;
        int32 expectedId;
    };
    const Case cases[] = {
        {true, 2, 4, -1, 5, 4},  // the game counted more: its count wins
        {true, 6, 8, -1, 6, 3},  // the record counted more: the game's count is rewritten
        {true, 3, -5, -1, 10, -1},
        {true, 3, std::numeric_limits<int32>::min(), -1, 10, -1},
        {true, 3, std::numeric_limits<int32>::max(), -1, 3, 6},
        // The first attach keeps what the game counted outside any processor.
        {true, -1, 1, -1, 8, 1},
        {true, -1, 5, 9, 9, 0},  // the adopted count is larger
        {true, -1, -5, -1, 10, -1},
        {false, -1, 1, 3, 3, 46},  // the game keeps no count for a class without a limit
    };
    for (const Case& c : cases) {
        emu::Item* item = !c.limitedClass ? world.GiveLantern()
                          : c.used < 0    ? world.GiveBolt()
                                          : world.CountedBolt(c.used);
        item->CustomItemID = c.nativeId;
        if (c.adopted >= 0) txl::State().AdoptionCounts[Key(item)] = c.adopted;
        EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(item)) || c.used >= 0);
        EXPECT_EQ(CounterFloats(item), Record(c.expectedUsed, c.limitedClass ? 10 : 50))
            << c.nativeId;
        EXPECT_EQ(item->CustomItemID, c.expectedId) << c.nativeId;
    }
}

TEST_F(CraftCounterTest, MalformedRecordsReadAsExhaustedAndAreNeverRewritten) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::vector<float>> records = {
        {1.0f, 10.0f, 2.0f, 0.0f}, {2.0f, 10.0f, 2.0f}, {1.0f, 10.0f, 3.5f},
        {1.0f, nan, 0.0f},         {1.0f, 0.0f, 0.0f},  {1.0f, 10.0f, 11.0f},
        {1.0f, 2000000.0f, 0.0f},  {1.0f, 9.5f, 2.0f}};
    for (const auto& record : records) {
        emu::Item* bolt = world.GiveBolt();
        txltest::SetCounterFloats(bolt, record);
        bolt->CustomItemID = 5;
        std::int32_t maximum = 7;
        std::int32_t used = 7;
        EXPECT_TRUE(txl::ReadCounter(Plugin(bolt), maximum, used));
        EXPECT_EQ(maximum, 0);
        EXPECT_EQ(used, 0);

        EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(bolt)));
        EXPECT_TRUE(txl::IsBlueprintExhausted(Plugin(bolt)));
        EXPECT_EQ(CustomDescription(bolt), CounterLine(0, 0) + L" - Craft limit reached");
        EXPECT_EQ(bolt->CustomItemID, 5);
        // Compared bit for bit, so that a NaN equals itself.
        const auto floats = CounterFloats(bolt);
        ASSERT_EQ(floats.size(), record.size());
        EXPECT_EQ(std::memcmp(floats.data(), record.data(), floats.size() * sizeof(float)), 0);
    }
}

TEST_F(CraftCounterTest, ReplacesOldCounterLinesAndKeepsTheUsersText) {
    emu::Item* bolt = world.GiveBolt();
    bolt->ItemDescription = emu::MakeString(L"class text");
    txltest::SetCustomDescription(bolt, L"My notes\nThalassovex crafts used: 4/10");
    txl::RefreshBlueprintCounter(Plugin(bolt));
    EXPECT_EQ(CustomDescription(bolt), L"My notes" + CounterLine(10, 10));

    // Both markers: everything from the first one goes.
    txltest::SetCustomDescription(
        bolt, L"Line" + CounterLine(3, 10) + L" - old\nThalassovex crafts used: 7/10");
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    EXPECT_EQ(CustomDescription(bolt), L"Line" + CounterLine(10, 10));

    // Only our line was there: the text stays empty rather than falling back.
    txl::State().Config.ShowCraftCounter = false;
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    txltest::SetCustomDescription(bolt, CounterLine(10, 10));
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    EXPECT_EQ(CustomDescription(bolt), L"");
    // An empty description takes the class's text.
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    EXPECT_EQ(CustomDescription(bolt), L"class text");
    EXPECT_FALSE(txl::RefreshBlueprintCounter(Plugin(bolt)));
}

TEST_F(CraftCounterTest, InventoryRefreshAnnouncesOnlyChangedItems) {
    txl::State().Config.ExhaustedCounterText = "";
    emu::Item* bolt = world.GiveBolt();
    txltest::SetCounterFloats(bolt, Record(10));
    txl::RefreshBlueprintCounter(Plugin(bolt));
    EXPECT_EQ(CustomDescription(bolt), CounterLine(0, 10));
    world.GiveLantern();
    emu::ItemSpec resource;
    resource.itemClass = world.Classes().resource;
    world.Game().GiveItem(world.ProcessorInventory(), resource);

    // The exhausted text may hold a NUL; only the changed item is announced, and only once.
    txl::State().Config.ExhaustedCounterText = std::string("Done\0!", 6);
    for (int i = 0; i < 2; ++i)
        txl::RefreshInventoryCounters(reinterpret_cast<UObject*>(world.Processor()));
    EXPECT_EQ(CustomDescription(bolt), CounterLine(0, 10) + std::wstring(L" - Done\0!", 9));
    auto calls = world.Game().Log().Calls("UpdatedItem");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].target, bolt);
    EXPECT_EQ(calls[0].arguments, "false,false");
    txl::RefreshInventoryCounters(nullptr);
}

// Game calls made during a refresh that come back into the plug-in or move the arrays it walks.
using GameReentry = txltest::CraftingTest;
using txltest::FunctionOverride;

using SetCustomItemDataFn = void(emu::Item*, const FCustomItemData*);
FunctionOverride* gSetData = nullptr;
std::vector<bool> gNestedResults;
emu::Item* gAnnounced = nullptr;

// The game announces the change, and the announcement refreshes the same item again; the game
// may announce another item too.
void SetDataAndRefresh(emu::Item* item, const FCustomItemData* data) {
    gSetData->Original<SetCustomItemDataFn>()(item, data);
    gNestedResults.push_back(txl::RefreshBlueprintCounter(Plugin(item)));
    if (gAnnounced != nullptr)
        emu::calls::UpdatedItem(std::exchange(gAnnounced, nullptr), false, false);
}

TEST_F(GameReentry, RefreshReenteredThroughAGameCallChangesNothing) {
    FunctionOverride override("UPrimalItem.SetCustomItemData(FCustomItemData&)",
                              &SetDataAndRefresh);
    gSetData = &override;
    gNestedResults.clear();

    emu::Item* bolt = world.GiveBolt();
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    EXPECT_EQ(gNestedResults, std::vector<bool>{false});
    EXPECT_EQ(Written(bolt), std::tuple(Record(0), 9, txltest::CounterLine(10, 10)));

    // A copy's mirror writes through the same call.
    emu::ItemContainer* box = world.SpawnBox();
    world.MoveItem(bolt, box->MyInventoryComponent);
    emu::Item* copy = world.GiveBolt();
    world.Game().AddSharingEntry(copy, bolt, box);
    gNestedResults.clear();
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(copy)));
    EXPECT_EQ(gNestedResults, std::vector<bool>{false});
    EXPECT_EQ(CounterFloats(copy), Record(0));

    // An announcement made during the announcement's own refresh goes straight to the game.
    txl::InstallHooks();
    emu::Item* other = world.GiveBolt();
    gAnnounced = other;
    emu::calls::UpdatedItem(world.GiveBolt(), false, false);
    EXPECT_EQ(world.Game().Log().Calls("UpdatedItem").size(), 2u);
    EXPECT_TRUE(CounterFloats(other).empty());
}

using NameToStringFn = void(const FName*, FString*);
FunctionOverride* gToString = nullptr;
emu::Item* gGrowing = nullptr;

// Naming an entry makes the game add entries to the item, moving its array.
void ToStringAndGrow(const FName* name, FString* out) {
    gToString->Original<NameToStringFn>()(name, out);
    if (gGrowing == nullptr) return;
    emu::Item* item = std::exchange(gGrowing, nullptr);
    for (int i = 0; i < 20; ++i) {
        FCustomItemData filler{};
        filler.CustomDataName = emu::Game::Instance().MakeName("Filler");
        emu::ArrayAppend(item->CustomItemDatas, filler);
    }
}

TEST_F(GameReentry, CustomDataWalkSurvivesTheArrayMoving) {
    emu::Item* bolt = world.GiveBolt();
    FCustomItemData other{};
    other.CustomDataName = world.Game().MakeName("SomethingElse");
    emu::ArrayAppend(bolt->CustomItemDatas, other);
    txltest::SetCounterFloats(bolt, Record(2));
    FunctionOverride override("FName.ToString(FString&)", &ToStringAndGrow);
    gToString = &override;

    gGrowing = bolt;
    FCustomItemData* entry = txl::FindCounterEntry(Plugin(bolt));
    EXPECT_EQ(entry, &bolt->CustomItemDatas.Data[1]);

    gGrowing = bolt;
    std::int32_t maximum = 0;
    std::int32_t used = 0;
    EXPECT_TRUE(txl::ReadCounter(Plugin(bolt), maximum, used));
    EXPECT_EQ(used, 2);
    gGrowing = bolt;
    EXPECT_EQ(txl::ResolveSourceBlueprint(Plugin(bolt)), Plugin(bolt));
}

void* gOriginalUpdated = nullptr;
txltest::CraftingWorld* gWorld = nullptr;
int gGifts = 0;

// The first announcement hands the processor more blueprints, moving its inventory array.
void UpdatedAndGive(emu::Item* item, bool first, bool second) {
    reinterpret_cast<void (*)(emu::Item*, bool, bool)>(gOriginalUpdated)(item, first, second);
    if (gGifts++ > 0) return;
    for (int i = 0; i < 10; ++i) gWorld->GiveBolt();
}

TEST_F(GameReentry, InventoryWalkSurvivesTheArrayMoving) {
    gWorld = &world;
    gGifts = 0;
    emuhost::HookManager::Instance().InstallHook("UPrimalItem.UpdatedItem(bool,bool)",
                                                 reinterpret_cast<void*>(&UpdatedAndGive),
                                                 &gOriginalUpdated);
    emu::Item* first = world.GiveBolt();
    txl::RefreshInventoryCounters(reinterpret_cast<UObject*>(world.Processor()));
    auto& items = world.ProcessorInventory()->InventoryItems;
    ASSERT_EQ(items.ArrayNum, 11);
    EXPECT_EQ(items.Data[0], first);
    // The walk went on through the grown array: the gifts are counted too.
    for (int32 i = 0; i < items.ArrayNum; ++i)
        EXPECT_EQ(CounterFloats(items.Data[i]).size(), 3u) << i;
    EXPECT_EQ(world.Game().Log().Calls("UpdatedItem").size(), 11u);
}

}  // namespace
