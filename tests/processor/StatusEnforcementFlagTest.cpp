#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "emugame/GameCalls.h"
#include "processor/ProcessorEnforcement.h"
#include "processor/ProcessorTestWorld.h"
#include "processor/StatusEnforcementFlag.h"
#include "shared/PluginState.h"
#include "support/FunctionOverride.h"

// The thread-local flag that keeps the current-status detour from enforcing inside its own
// enforcement, with the plug-in's detours installed in this process.
namespace {

using ::testing::ElementsAre;
using txltest::kSuccess;
using txltest::kTamed;

constexpr const char* kSync = "UPrimalCharacterStatusComponent.ServerSyncReplicatedValues()";

// The game's status synchronisation, which here reads the success status back once after the
// game raised it again.
int synchronisations = 0;
bool raiseOnSync = false;
std::vector<bool> flagSeenBySync;
void ReadingSync(emu::StatusComponent* component) {
    ++synchronisations;
    flagSeenBySync.push_back(txl::StatusEnforcementActive);
    if (raiseOnSync) {
        raiseOnSync = false;
        component->CurrentStatusValues[kSuccess] = 0.4f;
    }
    emu::calls::BPGetCurrentStatusValue(component, kSuccess);
}

class StatusEnforcementFlag : public ::testing::Test {
  protected:
    void SetUp() override {
        plugin.InstallHooks();
        synchronisations = 0;
        flagSeenBySync.clear();
    }
    emu::Game& Game() { return server.Game(); }

    txltest::EmulatedServer server;
    txltest::InProcessPlugin plugin;
};

TEST_F(StatusEnforcementFlag, AReadDuringTheDetoursEnforcementDoesNotEnforceAgain) {
    txltest::FunctionOverride sync(kSync, reinterpret_cast<void*>(&ReadingSync));
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f}, 0.4f);
    raiseOnSync = true;
    EXPECT_EQ(emu::calls::BPGetCurrentStatusValue(tamed->MyCharacterStatusComponent, kSuccess),
              -0.5f);
    EXPECT_EQ(synchronisations, 1);
    EXPECT_THAT(flagSeenBySync, ElementsAre(true));
    // The game's raise during the synchronisation was not enforced by the nested read.
    EXPECT_EQ(tamed->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
    EXPECT_FALSE(txl::StatusEnforcementActive);
}

TEST_F(StatusEnforcementFlag, AReadDuringAnotherEnforcementEnforcesOnceMore) {
    txltest::FunctionOverride sync(kSync, reinterpret_cast<void*>(&ReadingSync));
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f}, 0.4f);
    raiseOnSync = true;
    txl::EnforceProcessor(reinterpret_cast<UObject*>(tamed));
    // The nested read ran one enforcement (not forced), which lowered the raised value and
    // synchronised; its own read did not nest further.
    EXPECT_EQ(synchronisations, 2);
    EXPECT_THAT(flagSeenBySync, ElementsAre(false, true));
    EXPECT_EQ(tamed->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.5f);
    EXPECT_FALSE(txl::StatusEnforcementActive);
}

}  // namespace
