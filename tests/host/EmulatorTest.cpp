#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "AsaApi/Address.h"
#include "AsaApi/Text.h"
#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "emugame/StandardClasses.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "support/EmulatedServer.h"

// The emulated host and game as the tests rely on them. Misuse ends the process with a message,
// as the game would fail outright, so that a test cannot pass by reading memory it had no right
// to; destroyed actors and the entry points behave as the game's own.
namespace {

// Re-run in a fresh process: other tests of the binary may have left threads behind.
class EmulatorStrictnessDeathTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(EmulatorStrictnessDeathTest, TextFromNullANegativeCountOrAReleasedBufferAborts) {
    txltest::EmulatedServer server;
    wchar_t wide[4] = {};
    UTF8CHAR narrow[4] = {};
    EXPECT_DEATH(UE::Core::Private::GetConvertedLength(static_cast<const UTF8CHAR*>(nullptr),
                                                       static_cast<const wchar_t*>(nullptr), 0),
                 "GetConvertedLength from a null pointer");
    EXPECT_DEATH(UE::Core::Private::Convert(narrow, 4, static_cast<const wchar_t*>(nullptr), 1),
                 "Convert from a null pointer");
    EXPECT_DEATH(UE::Core::Private::Convert(wide, 4, static_cast<const UTF8CHAR*>(nullptr), 1),
                 "Convert from a null pointer");
    FString text(L"kept");
    EXPECT_DEATH(text.AssignRange(L"abc", -1), "AssignRange with a negative count");
    emu::StringRelease(text);

    FString gone = emu::MakeString(L"released");
    const wchar_t* stale = gone.Data;
    emu::StringRelease(gone);
    FString target;
    EXPECT_DEATH(target.AssignRange(stale, 3), "AssignRange reads through a released buffer");
    EXPECT_DEATH(
        UE::Core::Private::GetConvertedLength(static_cast<const UTF8CHAR*>(nullptr), stale + 2, 3),
        "GetConvertedLength reads through a released buffer");
    EXPECT_DEATH(emu::EngineFree(const_cast<wchar_t*>(stale)),
                 "Free of a pointer already released");
}

bool ThrowingLevelUp(UPrimalCharacterStatusComponent*, EPrimalCharacterStatusValue::Type, bool) {
    throw std::runtime_error("left the detour");
}

// The game and the host have no handler for a plug-in's exception: it would end the server.
TEST_F(EmulatorStrictnessDeathTest, AnExceptionLeavingAPluginIntoTheGameOrHostAborts) {
    txltest::EmulatedServer server;
    void* original = nullptr;
    emuhost::HookManager::Instance().InstallHook(
        "UPrimalCharacterStatusComponent.CanLevelUp(EPrimalCharacterStatusValue::Type,bool)",
        reinterpret_cast<void*>(&ThrowingLevelUp), &original);
    EXPECT_DEATH(emu::calls::CanLevelUp(nullptr, 11, false),
                 "an exception reached the game's call of "
                 "UPrimalCharacterStatusComponent.CanLevelUp.*left the detour");

    auto& registry = emuhost::CommandRegistry::Instance();
    registry.AddRconCommand(FString(L"Throws"), [](RCONClientConnection*, RCONPacket*, UWorld*) {
        throw std::runtime_error("left the command");
    });
    EXPECT_DEATH(registry.RunRconCommand("Throws", nullptr, nullptr, nullptr),
                 "command 'Throws' reached the host: left the command");
    registry.AddOnTimerCallback(FString(L"Throws"),
                                [] { throw std::runtime_error("left the timer"); });
    EXPECT_DEATH(registry.FireTimers(), "timer reached the host: left the timer");
}

// A name the game does not publish ends the call that asked for it, rather than reading nowhere.
TEST(GameNames, AnUnknownNameFailsLoudly) {
    txltest::EmulatedServer server;
    EXPECT_THAT([] { GetAddress("UPrimalItem.NoSuchFunction()"); },
                ::testing::ThrowsMessage<std::runtime_error>(
                    ::testing::HasSubstr("UPrimalItem.NoSuchFunction()")));
    EXPECT_EQ(server.Logs().Messages("error", "AsaApi").size(), 1u);
}

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
