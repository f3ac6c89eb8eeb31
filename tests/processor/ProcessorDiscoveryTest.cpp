#include <stdexcept>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "emugame/StandardClasses.h"
#include "processor/ProcessorDiscovery.h"
#include "processor/ProcessorTestWorld.h"
#include "shared/PluginState.h"
#include "shared/ProcessorRecognition.h"

namespace {

using ::testing::ElementsAre;
using txltest::EmulatedServer;

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

class ProcessorDiscovery : public ::testing::Test {
  protected:
    emu::Class* Define(const std::string& name, const std::vector<emu::PropertySpec>& properties,
                       emu::Class* super = nullptr) {
        return emu::DefineCreatureClass(server.Game(), name, properties, super);
    }

    EmulatedServer server;
    txltest::InProcessPlugin plugin;
};

TEST_F(ProcessorDiscovery, AcceptsFloatsAndEightByteDoublesForFractions) {
    emu::Class* cls = Define("Thalassovex_Character_BP_C", {{"SuccessRateCap", "DoubleProperty", 8},
                                                            {"NumberMaxCrafts", "IntProperty", 4},
                                                            {"CraftingSkillLevelMulti"}});
    auto* chance = emu::FindDeclaredProperty(server.Game(), &cls->Base, "SuccessRateCap");
    auto* skill = emu::FindDeclaredProperty(server.Game(), &cls->Base, "CraftingSkillLevelMulti");

    auto [layout, firstSight] = txl::AcquireProcessorLayout(AsClass(cls));
    EXPECT_TRUE(firstSight);
    EXPECT_TRUE(layout.valid);
    EXPECT_EQ(layout.successRateCap.size, 8);
    EXPECT_EQ(layout.successRateCap.offset, chance->Offset_Internal);
    EXPECT_EQ(layout.successRateCap.property, reinterpret_cast<FProperty*>(chance));
    EXPECT_EQ(layout.craftingSkillLevelMulti.size, 4);
    EXPECT_EQ(layout.craftingSkillLevelMulti.offset, skill->Offset_Internal);

    auto crafts = layout.numberMaxCrafts.offset;
    EXPECT_THAT(
        server.Logs().Messages("info"),
        ElementsAre("Thalassovex reflected property SuccessRateCap: type=double size=8 count=1",
                    "Thalassovex reflected property NumberMaxCrafts: type=int32 size=4 count=1",
                    "Thalassovex reflected property CraftingSkillLevelMulti: type=float size=4 "
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

TEST_F(ProcessorDiscovery, RangeIsCheckedAgainstTheSearchedClassAndItsLastByte) {
    // The parent declares the property past its own size; the child's object holds it.
    emu::Class* parent = Define("Parent_C", {{"Chance", "FloatProperty", 4, 1, 4096}});
    ASSERT_LT(parent->Base.PropertiesSize, 4096 + 4);
    emu::Class* child = Define("Child_C", {}, parent);
    child->Base.PropertiesSize = 4096 + 4;
    EXPECT_EQ(FailureOf(parent, "Chance", "float"),
              "Processor property is outside the reflected object size");
    txl::ProcessorProperty found = txl::FindProcessorProperty(AsClass(child), "Chance", "float");
    EXPECT_EQ(found.offset, 4096);
    child->Base.PropertiesSize = 4096 + 3;
    EXPECT_EQ(FailureOf(child, "Chance", "float"),
              "Processor property is outside the reflected object size");
}

TEST_F(ProcessorDiscovery, TheMostDerivedDeclarationWins) {
    emu::Class* parent = Define("Parent_C", {{"SuccessRateCap", "IntProperty", 4}});
    emu::Class* child = Define("Child_C", {{"SuccessRateCap", "FloatProperty", 4}}, parent);
    EXPECT_EQ(FailureOf(child, "SuccessRateCap", "float"), "accepted");
    EXPECT_EQ(FailureOf(parent, "SuccessRateCap", "float"),
              "Processor property type/size mismatch");
}

TEST_F(ProcessorDiscovery, AFailedClassKeepsAZeroEntryAndIsNotDiscoveredAgain) {
    emu::Class* cls = Define(
        "Thalassovex_Character_BP_C",
        {{"SuccessRateCap"}, {"NumberMaxCrafts", "FloatProperty", 4}, {"CraftingSkillLevelMulti"}});
    try {
        txl::AcquireProcessorLayout(AsClass(cls));
        FAIL() << "discovery accepted a float crafts property";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Processor property type/size mismatch");
    }
    const txl::ProcessorLayout& entry = txl::State().ProcessorLayouts.at(AsClass(cls));
    EXPECT_FALSE(entry.valid);
    // What passed before the failure is not kept either.
    EXPECT_EQ(entry.successRateCap.property, nullptr);
    EXPECT_EQ(entry.successRateCap.offset, 0);

    server.Logs().Clear();
    auto [again, firstSight] = txl::AcquireProcessorLayout(AsClass(cls));
    EXPECT_FALSE(firstSight);
    EXPECT_FALSE(again.valid);
    EXPECT_TRUE(server.Logs().Messages().empty());
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
        EXPECT_EQ(txl::IsProcessorCreature(game.SpawnCreature(cls, txltest::kTamed)), c.processor)
            << c.name;
    }

    EXPECT_FALSE(txl::IsProcessorCreature(nullptr));
    auto* classless = game.SpawnCreature(classes.processor, txltest::kTamed);
    classless->Base.Object.ClassPrivate = nullptr;
    EXPECT_FALSE(txl::IsProcessorCreature(classless));
}

}  // namespace
