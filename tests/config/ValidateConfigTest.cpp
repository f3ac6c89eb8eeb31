#include <gtest/gtest.h>

#include <string>

#include "config/ValidateConfig.h"

namespace {

using nlohmann::json;
using txl::PluginConfig;
using txl::ValidateConfig;

std::string FailureOf(const std::string& text) {
    try {
        ValidateConfig(json::parse(text));
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(ValidateConfig, EmptyObjectGivesEveryDefault) {
    PluginConfig config = ValidateConfig(json::object());
    EXPECT_TRUE(config.Enabled);
    EXPECT_TRUE(config.ShowCraftCounter);
    EXPECT_TRUE(config.BlockLevelUpsAtCap);
    EXPECT_FALSE(config.DestroyExhaustedBlueprints);
    EXPECT_FALSE(config.DebugLogging);
    EXPECT_EQ(config.MaxCraftChancePercent, 50.0f);
    EXPECT_EQ(config.MaxCraftingsPerBlueprint, 50);
    EXPECT_EQ(config.ExhaustedCounterText, "Craft limit reached");
    EXPECT_TRUE(config.AdoptTestBlueprints.empty());
}

TEST(ValidateConfig, ReadsEveryKeyAndIgnoresUnknownOnes) {
    PluginConfig config = ValidateConfig(json::parse(R"({
        "Enabled": false, "ShowCraftCounter": false, "BlockLevelUpsAtCap": false,
        "DestroyExhaustedBlueprints": true, "DebugLogging": true, "MaxCraftChancePercent": 75,
        "MaxCraftingsPerBlueprint": 7, "ExhaustedCounterText": "done", "enabled": 3,
        "AdoptTestBlueprints": {"1:2": 7, "3:4": 0}})"));
    EXPECT_FALSE(config.Enabled);
    EXPECT_FALSE(config.ShowCraftCounter);
    EXPECT_FALSE(config.BlockLevelUpsAtCap);
    EXPECT_TRUE(config.DestroyExhaustedBlueprints);
    EXPECT_TRUE(config.DebugLogging);
    EXPECT_EQ(config.MaxCraftChancePercent, 75.0f);
    EXPECT_EQ(config.MaxCraftingsPerBlueprint, 7);
    EXPECT_EQ(config.ExhaustedCounterText, "done");
    EXPECT_EQ(config.AdoptTestBlueprints.at("1:2"), 7);
    EXPECT_EQ(config.AdoptTestBlueprints.at("3:4"), 0);
}

TEST(ValidateConfig, RefusesWithTheMessageOfTheFirstFailingCheck) {
    EXPECT_EQ(FailureOf("[]"), "Config must be a JSON object");
    EXPECT_EQ(FailureOf(R"("text")"), "Config must be a JSON object");
    EXPECT_EQ(FailureOf(R"({"Enabled": 1})"),
              "[json.exception.type_error.302] type must be boolean, but is number");
    EXPECT_EQ(FailureOf(R"({"Enabled": null})"),
              "[json.exception.type_error.302] type must be boolean, but is null");
    EXPECT_EQ(FailureOf(R"({"MaxCraftChancePercent": "50"})"),
              "[json.exception.type_error.302] type must be number, but is string");
    EXPECT_EQ(FailureOf(R"({"MaxCraftingsPerBlueprint": 50.0})"),
              "MaxCraftingsPerBlueprint must be an integer");
    EXPECT_EQ(FailureOf(R"({"MaxCraftingsPerBlueprint": 0})"),
              "MaxCraftingsPerBlueprint must be 1..1000000");
    EXPECT_EQ(FailureOf(R"({"MaxCraftingsPerBlueprint": -5})"),
              "MaxCraftingsPerBlueprint must be 1..1000000");
    EXPECT_EQ(FailureOf(R"({"MaxCraftingsPerBlueprint": 1000001})"),
              "MaxCraftingsPerBlueprint must be 1..1000000");
    EXPECT_EQ(FailureOf(R"({"MaxCraftingsPerBlueprint": 18446744073709551615})"),
              "MaxCraftingsPerBlueprint must be 1..1000000");
    EXPECT_EQ(FailureOf(R"({"DebugLogging": "yes"})"),
              "[json.exception.type_error.302] type must be boolean, but is string");
    EXPECT_EQ(FailureOf(R"({"ExhaustedCounterText": 5})"),
              "[json.exception.type_error.302] type must be string, but is number");
    EXPECT_EQ(FailureOf(R"({"MaxCraftChancePercent": 100.5})"),
              "MaxCraftChancePercent must be 0..100");
    EXPECT_EQ(FailureOf(R"({"MaxCraftChancePercent": -0.5})"),
              "MaxCraftChancePercent must be 0..100");
    EXPECT_EQ(FailureOf(R"({"AdoptTestBlueprints": []})"), "AdoptTestBlueprints must be an object");
    EXPECT_EQ(FailureOf(R"({"AdoptTestBlueprints": null})"),
              "AdoptTestBlueprints must be an object");
    EXPECT_EQ(FailureOf(R"({"AdoptTestBlueprints": {"1:2": 2.0}})"),
              "Adoption counts must be integers");
    EXPECT_EQ(FailureOf(R"({"AdoptTestBlueprints": {"1:2": -1}})"),
              "Adoption count exceeds max crafts");
    EXPECT_EQ(FailureOf(R"({"AdoptTestBlueprints": {"1:2": 51}})"),
              "Adoption count exceeds max crafts");
}

TEST(ValidateConfig, ChecksRunInOrder) {
    // Both out of range: the crafts check comes first.
    EXPECT_EQ(FailureOf(R"({"MaxCraftChancePercent": 500, "MaxCraftingsPerBlueprint": 0})"),
              "MaxCraftingsPerBlueprint must be 1..1000000");
    // A type error of a later boolean comes before the range of the percentage.
    EXPECT_EQ(FailureOf(R"({"MaxCraftChancePercent": 500, "BlockLevelUpsAtCap": 0})"),
              "[json.exception.type_error.302] type must be boolean, but is number");
    // Members of the adoption map are checked in byte order of their names.
    EXPECT_EQ(FailureOf(R"({"AdoptTestBlueprints": {"b": 2.5, "a": -1}})"),
              "Adoption count exceeds max crafts");
    EXPECT_EQ(FailureOf(R"({"AdoptTestBlueprints": {"a": 2.5, "b": -1}})"),
              "Adoption counts must be integers");
}

TEST(ValidateConfig, BoundsAreInclusive) {
    EXPECT_EQ(ValidateConfig(json::parse(R"({"MaxCraftChancePercent": 0})")).MaxCraftChancePercent,
              0.0f);
    EXPECT_EQ(
        ValidateConfig(json::parse(R"({"MaxCraftChancePercent": 100})")).MaxCraftChancePercent,
        100.0f);
    // Rounds to 100.0 as a 32-bit float.
    EXPECT_EQ(ValidateConfig(json::parse(R"({"MaxCraftChancePercent": 100.000001})"))
                  .MaxCraftChancePercent,
              100.0f);
    EXPECT_EQ(
        ValidateConfig(json::parse(R"({"MaxCraftChancePercent": true})")).MaxCraftChancePercent,
        1.0f);
    EXPECT_EQ(
        ValidateConfig(json::parse(R"({"MaxCraftingsPerBlueprint": 1})")).MaxCraftingsPerBlueprint,
        1);
    EXPECT_EQ(ValidateConfig(json::parse(R"({"MaxCraftingsPerBlueprint": 1000000})"))
                  .MaxCraftingsPerBlueprint,
              1000000);
    EXPECT_EQ(ValidateConfig(json::parse(R"({"AdoptTestBlueprints": {"1:2": 50}})"))
                  .AdoptTestBlueprints.at("1:2"),
              50);
    // Adoption counts are measured against the crafts cap of the same file.
    EXPECT_EQ(FailureOf(R"({"MaxCraftingsPerBlueprint": 5, "AdoptTestBlueprints": {"1:2": 6}})"),
              "Adoption count exceeds max crafts");
    EXPECT_EQ(
        ValidateConfig(
            json::parse(R"({"MaxCraftingsPerBlueprint": 500, "AdoptTestBlueprints": {"1:2": 60}})"))
            .AdoptTestBlueprints.at("1:2"),
        60);
}

TEST(ValidateConfig, PercentBeyondFloatRangeIsOutOfRange) {
    EXPECT_EQ(FailureOf(R"({"MaxCraftChancePercent": 1e300})"),
              "MaxCraftChancePercent must be 0..100");
    EXPECT_EQ(FailureOf(R"({"MaxCraftChancePercent": -1e300})"),
              "MaxCraftChancePercent must be 0..100");
    EXPECT_EQ(FailureOf(R"({"MaxCraftChancePercent": 18446744073709551615})"),
              "MaxCraftChancePercent must be 0..100");
}

TEST(ValidateConfig, ExhaustedTextIsMeasuredInBytes) {
    EXPECT_EQ(ValidateConfig(json{{"ExhaustedCounterText", std::string(256, 'x')}})
                  .ExhaustedCounterText.size(),
              256u);
    EXPECT_EQ(FailureOf(json{{"ExhaustedCounterText", std::string(257, 'x')}}.dump()),
              "ExhaustedCounterText exceeds 256 UTF-8 bytes");
    std::string threeByteCharacters;
    for (int i = 0; i < 86; ++i) threeByteCharacters += "\xE2\x82\xAC";  // 86 characters, 258 bytes
    EXPECT_EQ(FailureOf(json{{"ExhaustedCounterText", threeByteCharacters}}.dump()),
              "ExhaustedCounterText exceeds 256 UTF-8 bytes");
}

}  // namespace
