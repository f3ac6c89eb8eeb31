#include <gtest/gtest.h>

#include <string>

#include "emugame/StandardClasses.h"
#include "processor/ProcessorTestWorld.h"
#include "shared/ProcessorRecognition.h"

namespace {

TEST(ProcessorRecognition, NeedsTheDinoAncestorAndBothTokensInAnyCase) {
    txltest::EmulatedServer server;
    emu::Game& game = server.Game();
    txltest::InProcessPlugin plugin;
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
