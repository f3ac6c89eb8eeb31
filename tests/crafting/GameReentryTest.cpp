#include <gtest/gtest.h>

#include <vector>

#include "crafting/CraftCounter.h"
#include "crafting/CraftingWorld.h"
#include "emugame/Allocator.h"
#include "emuhost/HookManager.h"
#include "support/FunctionOverride.h"

// Game calls made during a refresh that come back into the plug-in or move the arrays it walks.
namespace {

using txltest::CounterFloats;
using txltest::FunctionOverride;

UPrimalItem* Plugin(emu::Item* item) {
    return reinterpret_cast<UPrimalItem*>(item);
}

using SetCustomItemDataFn = void(emu::Item*, const FCustomItemData*);
FunctionOverride* gSetData = nullptr;
std::vector<bool> gNestedResults;

// The game announces the change, and the announcement refreshes the same item again.
void SetDataAndRefresh(emu::Item* item, const FCustomItemData* data) {
    gSetData->Original<SetCustomItemDataFn>()(item, data);
    gNestedResults.push_back(txl::RefreshBlueprintCounter(Plugin(item)));
}

TEST(GameReentry, RefreshReenteredThroughAGameCallChangesNothing) {
    txltest::CraftingWorld world;
    txltest::ResetPluginSettings();
    FunctionOverride override("UPrimalItem.SetCustomItemData(FCustomItemData&)",
                              &SetDataAndRefresh);
    gSetData = &override;
    gNestedResults.clear();

    emu::Item* bolt = world.GiveBolt();
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(bolt)));
    EXPECT_EQ(gNestedResults, std::vector<bool>{false});
    EXPECT_EQ(CounterFloats(bolt), (std::vector<float>{1.0f, 10.0f, 0.0f}));
    EXPECT_EQ(bolt->CustomItemID, 9);
    EXPECT_EQ(txltest::CustomDescription(bolt), txltest::CounterLine(10, 10));

    // A copy's mirror writes through the same call.
    emu::ItemContainer* box = world.SpawnBox();
    world.MoveItem(bolt, box->MyInventoryComponent);
    emu::Item* copy = world.GiveBolt();
    world.Game().AddSharingEntry(copy, bolt, box);
    gNestedResults.clear();
    EXPECT_TRUE(txl::RefreshBlueprintCounter(Plugin(copy)));
    EXPECT_EQ(gNestedResults, std::vector<bool>{false});
    EXPECT_EQ(CounterFloats(copy), (std::vector<float>{1.0f, 10.0f, 0.0f}));
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

TEST(GameReentry, CustomDataWalkSurvivesTheArrayMoving) {
    txltest::CraftingWorld world;
    txltest::ResetPluginSettings();
    emu::Item* bolt = world.GiveBolt();
    FCustomItemData other{};
    other.CustomDataName = world.Game().MakeName("SomethingElse");
    emu::ArrayAppend(bolt->CustomItemDatas, other);
    txltest::SetCounterFloats(bolt, {1.0f, 10.0f, 2.0f});
    FunctionOverride override("FName.ToString(FString&)", &ToStringAndGrow);
    gToString = &override;

    const FCustomItemData* before = bolt->CustomItemDatas.Data;
    gGrowing = bolt;
    FCustomItemData* entry = txl::FindCounterEntry(Plugin(bolt));
    ASSERT_NE(bolt->CustomItemDatas.Data, before);
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

TEST(GameReentry, InventoryWalkSurvivesTheArrayMoving) {
    txltest::CraftingWorld world;
    txltest::ResetPluginSettings();
    gWorld = &world;
    gGifts = 0;
    emuhost::HookManager::Instance().InstallHook("UPrimalItem.UpdatedItem(bool,bool)",
                                                 reinterpret_cast<void*>(&UpdatedAndGive),
                                                 &gOriginalUpdated);
    emu::Item* first = world.GiveBolt();
    const auto* before = world.ProcessorInventory()->InventoryItems.Data;

    txl::RefreshInventoryCounters(reinterpret_cast<UObject*>(world.Processor()));
    auto& items = world.ProcessorInventory()->InventoryItems;
    ASSERT_NE(items.Data, before);
    ASSERT_EQ(items.ArrayNum, 11);
    EXPECT_EQ(items.Data[0], first);
    // The walk went on through the grown array: the gifts are counted too.
    for (int32 i = 0; i < items.ArrayNum; ++i)
        EXPECT_EQ(CounterFloats(items.Data[i]).size(), 3u) << i;
    EXPECT_EQ(world.Game().Log().Calls("UpdatedItem").size(), 11u);
}

}  // namespace
