#include <gtest/gtest.h>

#include "emugame/StandardClasses.h"
#include "processor/ProcessorDiscovery.h"
#include "processor/ProcessorTestWorld.h"

namespace {

using txltest::EmulatedServer;

bool IsProcessorOfClass(emu::Game& game, emu::Class* cls) {
    return txl::IsProcessorCreature(game.SpawnCreature(cls, txltest::kTamed));
}

TEST(ProcessorRecognition, NeedsTheDinoAncestorAndBothTokensInAnyCase) {
    EmulatedServer server;
    emu::Game& game = server.Game();
    txltest::InProcessPlugin plugin;
    auto classes = emu::DefineStandardClasses(game);

    EXPECT_TRUE(IsProcessorOfClass(game, classes.processor));
    EXPECT_FALSE(IsProcessorOfClass(game, classes.creature));
    EXPECT_TRUE(
        IsProcessorOfClass(game, emu::DefineCreatureClass(game, "THALASSOVEX_CHARACTER_BP_C", {})));
    EXPECT_TRUE(IsProcessorOfClass(
        game, emu::DefineCreatureClass(game, "Character_BP_Thalassovex_Alpha_C", {})));
    EXPECT_FALSE(
        IsProcessorOfClass(game, emu::DefineCreatureClass(game, "Thalassovex_Character_C", {})));
    // A subclass of a processor is judged by its own name.
    EXPECT_FALSE(IsProcessorOfClass(
        game, emu::DefineCreatureClass(game, "Tamed_Variant_C", {}, classes.processor)));
    EXPECT_TRUE(IsProcessorOfClass(
        game, emu::DefineCreatureClass(game, "Thalassovex_Character_BP_Aberrant_C", {},
                                       classes.processor)));
}

TEST(ProcessorRecognition, AncestorNameIsExactAndCaseSensitive) {
    EmulatedServer server;
    emu::Game& game = server.Game();
    txltest::InProcessPlugin plugin;

    // Both tokens, but not under "PrimalDinoCharacter".
    emu::Class* character = game.FindClass("PrimalCharacter");
    EXPECT_FALSE(IsProcessorOfClass(
        game, emu::DefineCreatureClass(game, "Thalassovex_Character_BP_C", {}, character)));
    emu::Class* lowerCase = game.DefineClass("primaldinocharacter", character);
    EXPECT_FALSE(IsProcessorOfClass(
        game, emu::DefineCreatureClass(game, "Thalassovex_Character_BP_Lower_C", {}, lowerCase)));
    emu::Class* longer = game.DefineClass("PrimalDinoCharacterBase", character);
    EXPECT_FALSE(IsProcessorOfClass(
        game, emu::DefineCreatureClass(game, "Thalassovex_Character_BP_Longer_C", {}, longer)));
}

TEST(ProcessorRecognition, NullAndClasslessObjectsAreNotProcessors) {
    EmulatedServer server;
    emu::Game& game = server.Game();
    txltest::InProcessPlugin plugin;
    EXPECT_FALSE(txl::IsProcessorCreature(nullptr));
    auto* processor =
        game.SpawnCreature(emu::DefineStandardClasses(game).processor, txltest::kTamed);
    processor->Base.Object.ClassPrivate = nullptr;
    EXPECT_FALSE(txl::IsProcessorCreature(processor));
}

TEST(ProcessorRecognition, NamesWithBytesAboveAsciiAreHandled) {
    EmulatedServer server;
    emu::Game& game = server.Game();
    txltest::InProcessPlugin plugin;
    // Non-ASCII bytes around the tokens are lower-cased without touching them.
    EXPECT_TRUE(IsProcessorOfClass(
        game, emu::DefineCreatureClass(game, "\xC3\x84Thalassovex_\xC3\x9F_Character_BP_C", {})));
}

}  // namespace
