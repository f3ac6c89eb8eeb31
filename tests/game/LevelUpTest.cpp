#include <gtest/gtest.h>

#include "crafting/CraftingScenario.h"
#include "processor/ProcessorTestWorld.h"

namespace {

using txltest::kSuccess;

void SetSuccess(emu::Character* creature, float value) {
    txltest::SetSuccess(creature, value, value, value);
}

// The cap is 50 %, so the status limit is -0.5; a level adds 0.25.
class LevelUp : public ::testing::Test {
  protected:
    void SetUp() override {
        s.Game().SetLevelUpGain(s.world.Classes().processor, kSuccess, 0.25f);
        s.BeginPlay();
        s.Game().Log().Clear();
    }
    emu::StatusComponent* Status() { return s.world.Processor()->MyCharacterStatusComponent; }

    txltest::CraftingScenario s{"{}"};
};

TEST_F(LevelUp, AtTheCapIsRefusedAndChangesNothing) {
    ASSERT_EQ(Status()->MaxStatusValues[kSuccess], -0.5f);
    auto result = s.Game().LevelUp(s.world.Processor(), kSuccess);
    EXPECT_FALSE(result.applied);
    EXPECT_EQ(result.maxAfter, -0.5f);
    EXPECT_EQ(Status()->MaxStatusValues[kSuccess], -0.5f);
    EXPECT_EQ(Status()->LevelUpPointsAvailable, 10);
    EXPECT_EQ(Status()->NumberOfLevelUpPointsApplied[kSuccess], 0);
    EXPECT_TRUE(s.Game().Log().Calls("ServerSyncReplicatedValues").empty());
}

TEST_F(LevelUp, BelowTheCapIsAppliedAndReplicatedUntilTheCap) {
    SetSuccess(s.world.Processor(), -1.0f);
    auto first = s.Game().LevelUp(s.world.Processor(), kSuccess);
    EXPECT_TRUE(first.applied);
    EXPECT_EQ(first.maxBefore, -1.0f);
    EXPECT_EQ(first.maxAfter, -0.75f);
    EXPECT_EQ(Status()->ReplicatedGlobalMaxStatusValues[kSuccess], -0.75f);
    EXPECT_EQ(Status()->LevelUpPointsAvailable, 9);
    auto syncs = s.Game().Log().Calls("ServerSyncReplicatedValues");
    ASSERT_EQ(syncs.size(), 1u);
    EXPECT_EQ(syncs[0].target, Status());

    EXPECT_TRUE(s.Game().LevelUp(s.world.Processor(), kSuccess).applied);
    EXPECT_EQ(Status()->MaxStatusValues[kSuccess], -0.5f);
    EXPECT_FALSE(s.Game().LevelUp(s.world.Processor(), kSuccess).applied);
    EXPECT_EQ(Status()->MaxStatusValues[kSuccess], -0.5f);
    EXPECT_EQ(Status()->LevelUpPointsAvailable, 8);
    EXPECT_EQ(Status()->NumberOfLevelUpPointsApplied[kSuccess], 2);
}

TEST_F(LevelUp, MaximumIsReadAsTheGameSeesIt) {
    // A wild processor keeps a stored maximum above the cap; the game reads it clipped.
    emu::Character* wild = s.Game().SpawnCreature(s.world.Classes().processor, 0);
    SetSuccess(wild, 0.4f);
    auto result = s.Game().LevelUp(wild, kSuccess);
    EXPECT_FALSE(result.applied);
    EXPECT_EQ(result.maxBefore, -0.5f);
    EXPECT_EQ(wild->MyCharacterStatusComponent->MaxStatusValues[kSuccess], 0.4f);

    // An ordinary creature is not limited and gains its class's default amount.
    emu::Character* strider = s.Game().SpawnCreature(s.world.Classes().creature, 50000);
    SetSuccess(strider, 0.4f);
    auto ordinary = s.Game().LevelUp(strider, kSuccess);
    EXPECT_TRUE(ordinary.applied);
    EXPECT_EQ(ordinary.maxAfter, 0.4f + emu::Game::kDefaultLevelUpGain);
}

}  // namespace
