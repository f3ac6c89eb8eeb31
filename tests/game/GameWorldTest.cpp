#include <gtest/gtest.h>

#include "emugame/Allocator.h"
#include "emugame/StandardClasses.h"
#include "support/EmulatedServer.h"

namespace {

const FCustomItemData& SharingEntry(const emu::Item* copy) {
    return copy->CustomItemDatas.Data[0];
}

TEST(GameWorld, DestroyedActorStaysValidUntilCollectedThenEveryReferenceIsNull) {
    txltest::EmulatedServer server;
    emu::Game& game = server.Game();
    auto classes = emu::DefineStandardClasses(game);
    emu::ItemContainer* box = game.SpawnContainer(classes.storage);
    emu::Character* processor = game.SpawnCreature(classes.processor, 60000);
    emu::ItemSpec spec;
    spec.itemClass = classes.limitedBlueprint;
    spec.blueprint = true;
    emu::Item* source = game.GiveItem(box->MyInventoryComponent, spec);
    emu::Item* copy = game.ShareBlueprint(processor->MyInventoryComponent, source, box);
    FWeakObjectPtr boxRef = game.MakeWeak(&box->Base.Object);
    FWeakObjectPtr sourceRef = game.MakeWeak(&source->Object);

    game.DestroyActor(&box->Base);
    EXPECT_TRUE(game.IsPendingKill(&box->Base.Object));
    EXPECT_TRUE(game.IsPendingKill(&source->Object));
    EXPECT_EQ(game.ResolveWeak(boxRef), nullptr);
    EXPECT_EQ(game.ResolveWeak(boxRef, true), &box->Base.Object);
    EXPECT_EQ(game.ResolveWeak(sourceRef), nullptr);
    EXPECT_EQ(game.Actors().size(), 1u);
    // Until the collector runs, the copy still points at the valid, pending-kill box.
    EXPECT_EQ(SharingEntry(copy).CustomDataObjects.Data[0], reinterpret_cast<UObject*>(box));

    game.Advance(emu::Game::kCollectionIntervalMs - 1);
    EXPECT_TRUE(game.IsAlive(&box->Base.Object));
    auto live = emu::LiveAllocations();
    game.Advance(1);
    // Freed: only the weak reference may be asked now.
    EXPECT_EQ(game.ResolveWeak(boxRef, true), nullptr);
    EXPECT_EQ(game.PendingKillCount(), 0u);
    EXPECT_EQ(SharingEntry(copy).CustomDataObjects.Data[0], nullptr);
    EXPECT_EQ(SharingEntry(copy).CustomDataObjects.ArrayNum, 1);
    // The source's own buffers went with it.
    EXPECT_LT(emu::LiveAllocations(), live);
    EXPECT_EQ(processor->MyInventoryComponent->InventoryItems.ArrayNum, 1);
}

TEST(GameWorld, OnlyDinosBeginPlayThroughTheDinoEntry) {
    txltest::EmulatedServer server;
    emu::Game& game = server.Game();
    auto classes = emu::DefineStandardClasses(game);
    emu::Class* human = emu::DefineCreatureClass(game, "Human_Character_BP_C", {},
                                                 game.FindClass("PrimalCharacter"));
    emu::Character* dino = game.SpawnCreature(classes.creature, 0);
    emu::Character* player = game.SpawnCreature(human, 0);
    game.BeginPlay(dino);
    game.BeginPlay(player);
    auto dinoCalls = game.Log().Calls("BeginPlay");
    ASSERT_EQ(dinoCalls.size(), 1u);
    EXPECT_EQ(dinoCalls[0].target, dino);
    auto other = game.Log().Calls("CharacterBeginPlay");
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].target, player);
}

}  // namespace
