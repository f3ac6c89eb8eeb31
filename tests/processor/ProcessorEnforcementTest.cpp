#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "emugame/GameCalls.h"
#include "emugame/StandardClasses.h"
#include "host/WeakObjects.h"
#include "processor/ApplyCommand.h"
#include "processor/EnforcementTimer.h"
#include "processor/ProcessorDiscovery.h"
#include "processor/ProcessorEnforcement.h"
#include "processor/ProcessorTestWorld.h"
#include "processor/StatusEnforcementFlag.h"
#include "shared/PluginState.h"
#include "shared/ProcessorRecognition.h"
#include "support/FunctionOverride.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using txltest::AsObject;
using txltest::kSuccess;
using txltest::kTamed;
using txltest::kWild;
using txltest::ProcessorValues;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

const std::vector<std::string> kPropertyReplication = {
    "FlushNetDormancy()", "MulticastProperty(SuccessRateCap,false)",
    "MulticastProperty(NumberMaxCrafts,false)", "MulticastProperty(CraftingSkillLevelMulti,false)"};
const std::vector<std::string> kStatusReplication = {"ServerSyncReplicatedValues()",
                                                     "ForceNetUpdate(false,true,false)"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The thread-local flag that keeps the current-status detour from enforcing inside its own
// enforcement.
constexpr const char* kSync = "UPrimalCharacterStatusComponent.ServerSyncReplicatedValues()";

// The game's status synchronisation, which here reads the success status back once after the
// game raised it again.
bool raiseOnSync = false;
std::vector<bool> flagSeenBySync;
void ReadingSync(emu::StatusComponent* component) {
    flagSeenBySync.push_back(txl::StatusEnforcementActive);
    if (raiseOnSync) {
        raiseOnSync = false;
        component->CurrentStatusValues[kSuccess] = 0.4f;
    }
    emu::calls::BPGetCurrentStatusValue(component, kSuccess);
}

class ProcessorEnforcement : public ::testing::Test {
  protected:
    emu::Game& Game() { return server.Game(); }
    emu::Class* Define(const std::string& name, const std::vector<emu::PropertySpec>& properties,
                       emu::Class* super = nullptr) {
        return emu::DefineCreatureClass(server.Game(), name, properties, super);
    }
    ProcessorValues Enforced(ProcessorValues values) {
        auto* creature = txltest::SpawnProcessor(Game(), kTamed, values);
        txl::EnforceProcessorLimits(AsObject(creature), false);
        return txltest::ValuesOf(Game(), creature);
    }

    txltest::EmulatedServer server;
    txltest::InProcessPlugin plugin;
};

TEST_F(ProcessorEnforcement, PropertiesAreSetToTheCaps) {
    const ProcessorValues cases[][2] = {
        {{1.0f, 100, 2.0f}, {0.5f, 50, 0.5f}},
        // Chance and crafts are raised too; a smaller skill multiplier stays.
        {{0.25f, 10, 0.25f}, {0.5f, 50, 0.25f}},
        // A NaN or +infinite value is set to its cap; -infinity is only below the skill's.
        {{kNaN, 50, kNaN}, {0.5f, 50, 0.5f}},
        {{kInfinity, 50, kInfinity}, {0.5f, 50, 0.5f}},
        {{-kInfinity, 50, -kInfinity}, {0.5f, 50, -kInfinity}},
    };
    for (const auto& [given, expected] : cases) {
        ProcessorValues enforced = Enforced(given);
        EXPECT_EQ(enforced.chance, expected.chance) << given.chance;
        EXPECT_EQ(enforced.crafts, expected.crafts) << given.crafts;
        EXPECT_EQ(enforced.skill, expected.skill) << given.skill;
    }
}

TEST_F(ProcessorEnforcement, InfinityIsAboveEveryCap) {
    plugin.InstallHooks();
    auto* creature = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f}, kInfinity);
    emu::StatusComponent* status = creature->MyCharacterStatusComponent;
    EXPECT_EQ(emu::calls::BPGetMaxStatusValue(status, kSuccess), -0.5f);
    EXPECT_EQ(emu::calls::BPGetCurrentStatusValue(status, kSuccess), -0.5f);
    for (float* value : {&status->CurrentStatusValues[kSuccess], &status->MaxStatusValues[kSuccess],
                         &status->ReplicatedGlobalMaxStatusValues[kSuccess]})
        EXPECT_EQ(*value, -0.5f);

    // The game's roll never succeeds on a NaN: it stays, as does -infinity.
    txltest::SetSuccess(creature, kNaN, -kInfinity, kNaN);
    txl::EnforceProcessorLimits(AsObject(creature), false);
    EXPECT_TRUE(std::isnan(emu::calls::BPGetCurrentStatusValue(status, kSuccess)));
    EXPECT_EQ(emu::calls::BPGetMaxStatusValue(status, kSuccess), -kInfinity);
    EXPECT_TRUE(std::isnan(status->ReplicatedGlobalMaxStatusValues[kSuccess]));
}

TEST_F(ProcessorEnforcement, TeamOwnedSuccessStatusIsLoweredAndSynchronised) {
    auto* creature = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f});
    txltest::SetSuccess(creature, 0.4f, -0.7f, 0.25f);
    emu::StatusComponent* status = creature->MyCharacterStatusComponent;
    status->CurrentStatusValues[kSuccess - 1] = 5.0f;
    txl::EnforceProcessorLimits(AsObject(creature), false);
    EXPECT_EQ(status->CurrentStatusValues[kSuccess], -0.5f);
    EXPECT_EQ(status->MaxStatusValues[kSuccess], -0.7f);
    EXPECT_EQ(status->ReplicatedGlobalMaxStatusValues[kSuccess], -0.5f);
    EXPECT_EQ(status->CurrentStatusValues[kSuccess - 1], 5.0f);
    // First sight of the class: the properties are replicated although they were at the caps.
    EXPECT_EQ(txltest::Replication(Game()), Join(kStatusReplication, kPropertyReplication));

    // Only the replicated maximum above the limit still triggers the synchronisation.
    Game().Log().Clear();
    txltest::SetSuccess(creature, -0.5f, -0.5f, kNaN);
    txl::EnforceProcessorLimits(AsObject(creature), false);
    EXPECT_THAT(txltest::Replication(Game()), IsEmpty());
    status->ReplicatedGlobalMaxStatusValues[kSuccess] = 0.0f;
    txl::EnforceProcessorLimits(AsObject(creature), false);
    EXPECT_EQ(txltest::Replication(Game()), kStatusReplication);
}

TEST_F(ProcessorEnforcement, OnlyTamedProcessorsAreLoweredAndOnlyWhileEnabled) {
    auto* creature = txltest::SpawnProcessor(Game(), kWild, {1.0f, 100, 2.0f}, 0.4f);
    txl::EnforceProcessorLimits(AsObject(creature), true);
    EXPECT_EQ(txltest::ValuesOf(Game(), creature).chance, 0.5f);
    EXPECT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
    EXPECT_EQ(txltest::Replication(Game()), kPropertyReplication);

    // 49999 is still wild, 50000 is a team.
    creature->Base.TargetingTeam = 49999;
    txl::EnforceProcessorLimits(AsObject(creature), false);
    EXPECT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
    creature->Base.TargetingTeam = 50000;
    txl::EnforceProcessorLimits(AsObject(creature), false);
    EXPECT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.5f);

    // Other creatures are neither lowered nor tracked.
    auto* other = Game().SpawnCreature(emu::DefineStandardClasses(Game()).creature, kTamed);
    other->MyCharacterStatusComponent->CurrentStatusValues[kSuccess] = 0.4f;
    txl::EnforceProcessorLimits(AsObject(other), true);
    txl::EnforceProcessor(AsObject(other));
    txl::EnforceProcessorLimits(nullptr, true);
    EXPECT_EQ(other->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
    EXPECT_TRUE(txl::State().TrackedProcessors.empty());

    // Switched off, a processor is tracked but left as it is.
    txl::State().EnforcementEnabled = false;
    Game().Log().Clear();
    auto* processor = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f}, 0.4f);
    txl::EnforceProcessor(AsObject(processor));
    EXPECT_EQ(txl::State().TrackedProcessors.count(AsObject(processor)), 1u);
    EXPECT_EQ(txltest::ValuesOf(Game(), processor).crafts, 100);
    EXPECT_EQ(processor->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
    EXPECT_THAT(Game().Log().Entries(), IsEmpty());
}

TEST_F(ProcessorEnforcement, ClampLineOnFirstSightAndOnChangeOnly) {
    auto* first = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f});
    auto* second = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.25f});
    txl::EnforceProcessorLimits(AsObject(first), false);
    txl::EnforceProcessorLimits(AsObject(second), false);
    txl::EnforceProcessorLimits(AsObject(first), false);
    EXPECT_THAT(server.Logs().Messages("info"),
                ElementsAre(::testing::StartsWith("Thalassovex reflected property"),
                            ::testing::StartsWith("Thalassovex reflected property"),
                            ::testing::StartsWith("Thalassovex reflected property"),
                            ::testing::StartsWith("Thalassovex processor fields validated"),
                            "Thalassovex processor clamped: chance 1 -> 0.5, crafts 100 -> 50, "
                            "skill 2 -> 0.5"));

    // A change after the first sight logs again, with what was there before.
    emu::Property* crafts = emu::FindDeclaredProperty(
        Game(), &first->Base.Object.ClassPrivate->Base, "NumberMaxCrafts");
    emu::PropertyValue<int32>(second, crafts) = 7;
    server.Logs().Clear();
    txl::EnforceProcessorLimits(AsObject(second), false);
    EXPECT_THAT(server.Logs().Messages("info"),
                ElementsAre("Thalassovex processor clamped: chance 0.5 -> 0.5, crafts 7 -> 50, "
                            "skill 0.25 -> 0.25"));

    // Forcing replicates a settled creature again, but has nothing to report.
    server.Logs().Clear();
    Game().Log().Clear();
    txl::EnforceProcessorLimits(AsObject(second), true);
    EXPECT_FALSE(txltest::Replication(Game()).empty());
    EXPECT_THAT(server.Logs().Messages(), ::testing::IsEmpty());
}

TEST_F(ProcessorEnforcement, AClassThatFailsDiscoveryIsReportedOnceAndNeverAdjusted) {
    emu::Class* cls = emu::DefineCreatureClass(Game(), "Thalassovex_Character_BP_Broken_C",
                                               {{"SuccessRateCap"}, {"CraftingSkillLevelMulti"}});
    auto* first = Game().SpawnCreature(cls, kTamed);
    auto* second = Game().SpawnCreature(cls, kTamed);
    first->MyCharacterStatusComponent->CurrentStatusValues[kSuccess] = 0.4f;
    txl::EnforceProcessorLimits(AsObject(first), true);
    txl::EnforceProcessorLimits(AsObject(second), true);
    txl::EnforceProcessorLimits(AsObject(first), true);
    EXPECT_THAT(server.Logs().Messages("error"),
                ElementsAre("Thalassovex limits NOT applied to Thalassovex_Character_BP_Broken_C: "
                            "Required processor property is missing"));
    EXPECT_EQ(first->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
    EXPECT_THAT(Game().Log().Entries(), IsEmpty());
    EXPECT_TRUE(txl::State().EnforcementEnabled);
}

TEST_F(ProcessorEnforcement, ARuntimeErrorSwitchesEnforcementOffWithItsOwnLine) {
    plugin.InstallHooks();
    emu::RconConnection* connection = txltest::OpenConnection(Game());
    // Each runs on two processors; a status read returns what it read.
    struct Boundary {
        std::function<float(emu::Character*)> run;
        std::string line;
    };
    const std::string failure = "Game call failed: ServerSyncReplicatedValues";
    const Boundary boundaries[] = {
        {[](emu::Character* a) {
             txl::EnforceProcessor(AsObject(a));
             return -0.5f;
         },
         "Thalassovex limiter disabled after runtime error: " + failure},
        {[&](emu::Character*) {
             RCONPacket packet;
             packet.Id = 9;
             txl::HandleApplyCommand(reinterpret_cast<RCONClientConnection*>(connection), &packet,
                                     reinterpret_cast<UWorld*>(Game().World()));
             EXPECT_EQ(txltest::Replies(Game()).back(), "9,0," + txltest::kDisabled);
             return -0.5f;
         },
         "Thalassovex limiter disabled after runtime error: " + failure},
        {[](emu::Character*) {
             txl::RunEnforcementTimer();
             return -0.5f;
         },
         "Thalassovex timer disabled after runtime error: " + failure},
        {[](emu::Character* a) {
             return emu::calls::BPGetCurrentStatusValue(a->MyCharacterStatusComponent, kSuccess);
         },
         "Thalassovex conversion enforcement failed: " + failure},
    };
    for (const Boundary& boundary : boundaries) {
        SCOPED_TRACE(boundary.line);
        txl::State().TrackedProcessors.clear();
        txl::State().EnforcementEnabled = true;
        emu::Character* pair[2];
        for (auto*& creature : pair) {
            creature = txltest::SpawnProcessor(Game(), kTamed, {1.0f, 100, 2.0f});
            txl::State().TrackedProcessors[AsObject(creature)] =
                txl::host::MakeWeakReference(AsObject(creature));
            txltest::SetSuccess(creature, 0.4f, 0.4f, 0.4f);
        }
        server.Logs().Clear();
        Game().FailCall("ServerSyncReplicatedValues");
        // The value read is still clipped.
        EXPECT_EQ(boundary.run(pair[0]), -0.5f);
        EXPECT_FALSE(txl::State().EnforcementEnabled);
        EXPECT_FALSE(txl::StatusEnforcementActive);
        EXPECT_THAT(server.Logs().Messages("error"), ElementsAre(boundary.line));
        int lowered = 0;
        for (auto* creature : pair) {
            auto* status = creature->MyCharacterStatusComponent;
            lowered += status->ReplicatedGlobalMaxStatusValues[kSuccess] == -0.5f ? 1 : 0;
        }
        // The walk ends at the failing one; nothing is rolled back.
        EXPECT_EQ(lowered, 1);

        // Nothing more is enforced until a load switches it on again.
        boundary.run(pair[0]);
        for (auto* creature : pair) txltest::SetSuccess(creature, 0.4f, 0.4f, 0.4f);
        boundary.run(pair[0]);
        boundary.run(pair[1]);
        EXPECT_EQ(pair[1]->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
        EXPECT_EQ(server.Logs().Messages("error").size(), 1u);
        txl::State().EnforcementEnabled = true;
        emu::calls::BPGetCurrentStatusValue(pair[1]->MyCharacterStatusComponent, kSuccess);
        EXPECT_EQ(pair[1]->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.5f);
        for (auto* creature : pair) Game().DestroyActor(&creature->Base);
    }
}

TEST_F(ProcessorEnforcement, AReusedAddressReplacesTheStaleReference) {
    auto* processor = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f});
    FWeakObjectPtr stale{12345, 1};
    txl::State().TrackedProcessors[AsObject(processor)] = stale;
    txl::EnforceProcessor(AsObject(processor));
    const FWeakObjectPtr& weak = txl::State().TrackedProcessors.at(AsObject(processor));
    EXPECT_EQ(weak.ObjectIndex, processor->Base.Object.InternalIndex);
    EXPECT_EQ(Game().ResolveWeak(weak), &processor->Base.Object);
}

TEST_F(ProcessorEnforcement, AReadDuringAnEnforcementEnforcesOnlyWhenNotInsideTheDetours) {
    plugin.InstallHooks();
    flagSeenBySync.clear();
    txltest::FunctionOverride sync(kSync, reinterpret_cast<void*>(&ReadingSync));
    auto* tamed = txltest::SpawnProcessor(Game(), kTamed, {0.5f, 50, 0.5f}, 0.4f);
    float& success = tamed->MyCharacterStatusComponent->CurrentStatusValues[kSuccess];
    // Inside the read detour's own enforcement, the game's raise during the synchronisation is
    // not enforced by the nested read.
    raiseOnSync = true;
    EXPECT_EQ(emu::calls::BPGetCurrentStatusValue(tamed->MyCharacterStatusComponent, kSuccess),
              -0.5f);
    EXPECT_THAT(flagSeenBySync, ElementsAre(true));
    EXPECT_EQ(success, 0.4f);
    EXPECT_FALSE(txl::StatusEnforcementActive);

    // Inside another enforcement, the nested read runs one enforcement (not forced), which
    // lowers the raised value and synchronises; its own read does not nest further.
    flagSeenBySync.clear();
    raiseOnSync = true;
    txl::EnforceProcessor(AsObject(tamed));
    EXPECT_THAT(flagSeenBySync, ElementsAre(false, true));
    EXPECT_EQ(success, -0.5f);
    EXPECT_FALSE(txl::StatusEnforcementActive);
}

// Where the plug-in finds a processor's three properties, and which creatures are processors.
UClass* AsClass(emu::Class* cls) {
    return reinterpret_cast<UClass*>(cls);
}

std::string FailureOf(emu::Class* cls, const std::string& name, const std::string& expected) {
    try {
        txl::FindProcessorProperty(AsClass(cls), name, expected);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "accepted";
}

using ProcessorDiscovery = ProcessorEnforcement;

TEST_F(ProcessorDiscovery, AcceptsFloatsAndEightByteDoublesForFractions) {
    emu::Class* cls =
        Define("Thalassovex_Character_BP_C", {{"SuccessRateCap", "DoubleProperty", 8},
                                              {"NumberMaxCrafts", "IntProperty", 4},
                                              {"CraftingSkillLevelMulti", "DoubleProperty", 8}});
    auto* chance = emu::FindDeclaredProperty(server.Game(), &cls->Base, "SuccessRateCap");
    auto* skill = emu::FindDeclaredProperty(server.Game(), &cls->Base, "CraftingSkillLevelMulti");

    auto [layout, firstSight] = txl::AcquireProcessorLayout(AsClass(cls));
    EXPECT_TRUE(firstSight);
    EXPECT_TRUE(layout.valid);
    EXPECT_EQ(layout.successRateCap.size, 8);

    auto crafts = layout.numberMaxCrafts.offset;
    EXPECT_THAT(
        server.Logs().Messages("info"),
        ElementsAre("Thalassovex reflected property SuccessRateCap: type=double size=8 count=1",
                    "Thalassovex reflected property NumberMaxCrafts: type=int32 size=4 count=1",
                    "Thalassovex reflected property CraftingSkillLevelMulti: type=double size=8 "
                    "count=1",
                    "Thalassovex processor fields validated: Thalassovex_Character_BP_C cap=" +
                        std::to_string(chance->Offset_Internal) +
                        " crafts=" + std::to_string(crafts) +
                        " skill=" + std::to_string(skill->Offset_Internal)));

    // The second look-up is the cached entry itself, found without discovery.
    server.Logs().Clear();
    auto [again, secondSight] = txl::AcquireProcessorLayout(AsClass(cls));
    EXPECT_FALSE(secondSight);
    EXPECT_EQ(&again, &layout);
    EXPECT_TRUE(server.Logs().Messages().empty());

    // Such a processor's fractions are written as doubles.
    auto* creature = server.Game().SpawnCreature(cls, kTamed);
    emu::PropertyValue<double>(creature, chance) = 0.75;
    emu::PropertyValue<double>(creature, skill) = 3.0;
    txl::EnforceProcessorLimits(txltest::AsObject(creature), false);
    EXPECT_EQ(emu::PropertyValue<double>(creature, chance), 0.5);
    EXPECT_EQ(emu::PropertyValue<double>(creature, skill), 0.5);
}

TEST_F(ProcessorDiscovery, RefusesUnfitDeclarationsAfterLoggingWhatWasFound) {
    emu::Class* cls = Define("Mixed_C", {{"IntegerChance", "IntProperty", 4},
                                         {"SmallDouble", "DoubleProperty", 4},
                                         {"Pair", "FloatProperty", 4, 2},
                                         {"FloatCrafts", "FloatProperty", 4},
                                         {"Flag", "BoolProperty", 4},
                                         {"Far", "FloatProperty", 4, 1, 1 << 20}});
    server.Game().AddProperty(&cls->Base, "Negative", server.Game().FindFieldClass("FloatProperty"),
                              4, -8);
    const std::string mismatch = "Processor property type/size mismatch";
    EXPECT_EQ(FailureOf(cls, "IntegerChance", "float"), mismatch);
    EXPECT_EQ(FailureOf(cls, "SmallDouble", "float"), mismatch);
    EXPECT_EQ(FailureOf(cls, "Pair", "float"), mismatch);
    EXPECT_EQ(FailureOf(cls, "FloatCrafts", "int32"), mismatch);
    EXPECT_EQ(FailureOf(cls, "Flag", "float"), mismatch);
    EXPECT_EQ(FailureOf(cls, "Far", "float"),
              "Processor property is outside the reflected object size");
    EXPECT_EQ(FailureOf(cls, "Negative", "float"),
              "Processor property is outside the reflected object size");
    EXPECT_EQ(FailureOf(cls, "Missing", "float"), "Required processor property is missing");
    // Names match exactly.
    EXPECT_EQ(FailureOf(cls, "pair", "float"), "Required processor property is missing");

    EXPECT_THAT(
        server.Logs().Messages("info"),
        ElementsAre("Thalassovex reflected property IntegerChance: type=int32 size=4 count=1",
                    "Thalassovex reflected property SmallDouble: type=double size=4 count=1",
                    "Thalassovex reflected property Pair: type=float size=4 count=2",
                    "Thalassovex reflected property FloatCrafts: type=float size=4 count=1",
                    "Thalassovex reflected property Flag: type=unsupported size=4 count=1",
                    "Thalassovex reflected property Far: type=float size=4 count=1",
                    "Thalassovex reflected property Negative: type=float size=4 count=1"));
}

TEST_F(ProcessorDiscovery, TheSearchedClassDecidesTypeAndRange) {
    // The parent declares one property past its own size, which the child's object holds, and
    // another as an integer, which the child declares again as a float.
    emu::Class* parent = Define("Parent_C", {{"Chance", "FloatProperty", 4, 1, 4096},
                                             {"SuccessRateCap", "IntProperty", 4}});
    ASSERT_LT(parent->Base.PropertiesSize, 4096 + 4);
    emu::Class* child = Define("Child_C", {{"SuccessRateCap", "FloatProperty", 4}}, parent);
    child->Base.PropertiesSize = 4096 + 4;
    const std::string outside = "Processor property is outside the reflected object size";
    EXPECT_EQ(FailureOf(parent, "Chance", "float"), outside);
    EXPECT_EQ(txl::FindProcessorProperty(AsClass(child), "Chance", "float").offset, 4096);
    EXPECT_EQ(FailureOf(child, "SuccessRateCap", "float"), "accepted");
    EXPECT_EQ(FailureOf(parent, "SuccessRateCap", "float"),
              "Processor property type/size mismatch");
    child->Base.PropertiesSize = 4096 + 3;
    EXPECT_EQ(FailureOf(child, "Chance", "float"), outside);
}

TEST_F(ProcessorDiscovery, ProcessorsNeedTheDinoAncestorAndBothTokensInAnyCase) {
    emu::Game& game = server.Game();
    auto classes = emu::DefineStandardClasses(game);
    emu::Class* character = game.FindClass("PrimalCharacter");
    struct Case {
        std::string name;  // empty: the class given as super itself
        emu::Class* super;
        bool processor;
    };
    const Case cases[] = {
        {"", classes.processor, true},
        {"", classes.creature, false},
        {"THALASSOVEX_CHARACTER_BP_C", nullptr, true},
        {"Character_BP_Thalassovex_Alpha_C", nullptr, true},
        {"Thalassovex_Character_C", nullptr, false},
        // Non-ASCII bytes around the tokens are lower-cased without touching them.
        {"\xC3\x84Thalassovex_\xC3\x9F_Character_BP_C", nullptr, true},
        // A subclass of a processor is judged by its own name.
        {"Tamed_Variant_C", classes.processor, false},
        {"Thalassovex_Character_BP_Aberrant_C", classes.processor, true},
        // Both tokens, but not under "PrimalDinoCharacter" exactly.
        {"Thalassovex_Character_BP_Other_C", character, false},
        {"Thalassovex_Character_BP_Lower_C", game.DefineClass("primaldinocharacter", character),
         false},
        {"Thalassovex_Character_BP_Longer_C",
         game.DefineClass("PrimalDinoCharacterBase", character), false},
    };
    for (const Case& c : cases) {
        emu::Class* cls =
            c.name.empty() ? c.super : emu::DefineCreatureClass(game, c.name, {}, c.super);
        EXPECT_EQ(txl::IsProcessorCreature(game.SpawnCreature(cls, kTamed)), c.processor) << c.name;
    }

    EXPECT_FALSE(txl::IsProcessorCreature(nullptr));
    auto* classless = game.SpawnCreature(classes.processor, kTamed);
    classless->Base.Object.ClassPrivate = nullptr;
    EXPECT_FALSE(txl::IsProcessorCreature(classless));
}

}  // namespace
