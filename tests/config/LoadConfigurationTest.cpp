#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "config/LoadConfiguration.h"
#include "config/ValidateConfig.h"
#include "shared/PluginState.h"
#include "support/EmulatedServer.h"

// config.json as it is checked, and as it is read and put in force.
namespace {

using nlohmann::json;
using txl::PluginConfig;
using txl::ValidateConfig;

// The message of the first failing check, or the chance, crafts cap and adoption counts taken.
std::string Outcome(const std::string& text) {
    try {
        PluginConfig config = ValidateConfig(json::parse(text));
        std::string taken = "ok " + json(config.MaxCraftChancePercent).dump() + " " +
                            std::to_string(config.MaxCraftingsPerBlueprint);
        for (const auto& [key, count] : config.AdoptTestBlueprints)
            taken += " " + key + "=" + std::to_string(count);
        return taken;
    } catch (const std::exception& error) {
        return error.what();
    }
}

// Every setting taken, in declaration order.
std::string Settings(const PluginConfig& c) {
    std::string text;
    for (bool flag : {c.Enabled, c.ShowCraftCounter, c.BlockLevelUpsAtCap,
                      c.DestroyExhaustedBlueprints, c.DebugLogging})
        text += flag ? '1' : '0';
    for (const std::string& part :
         {json(c.MaxCraftChancePercent).dump(), std::to_string(c.MaxCraftingsPerBlueprint),
          c.ExhaustedCounterText})
        text += ' ' + part;
    for (const auto& [key, count] :
         std::map(c.AdoptTestBlueprints.begin(), c.AdoptTestBlueprints.end()))
        text += " " + key + "=" + std::to_string(count);
    return text;
}

TEST(ValidateConfig, AnEmptyObjectGivesEveryDefaultAndEveryKeyIsRead) {
    EXPECT_EQ(Settings(ValidateConfig(json::object())), "11100 50.0 50 Craft limit reached");
    EXPECT_EQ(Settings(ValidateConfig(json::parse(R"({
        "Enabled": false, "ShowCraftCounter": false, "BlockLevelUpsAtCap": false,
        "DestroyExhaustedBlueprints": true, "DebugLogging": true, "MaxCraftChancePercent": 75,
        "MaxCraftingsPerBlueprint": 7, "ExhaustedCounterText": "done", "enabled": 3,
        "AdoptTestBlueprints": {"1:2": 7, "3:4": 0}})"))),
              "00011 75.0 7 done 1:2=7 3:4=0");
}

const std::string kType = "[json.exception.type_error.302] type must be ";
const std::string kCrafts = "MaxCraftingsPerBlueprint must be 1..1000000";
const std::string kChance = "MaxCraftChancePercent must be 0..100";
const std::string kAdoption = "Adoption count exceeds max crafts";
const std::string kText = "ExhaustedCounterText exceeds 256 UTF-8 bytes";

std::string Euros(int count) {  // three UTF-8 bytes each
    std::string text;
    for (int i = 0; i < count; ++i) text += "\xE2\x82\xAC";
    return text;
}

// Each check with its bounds, which are inclusive; where several fail, the first in order.
TEST(ValidateConfig, RefusesWithTheMessageOfTheFirstFailingCheck) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[]", "Config must be a JSON object"},
        {R"("text")", "Config must be a JSON object"},
        {R"({"Enabled": 1})", kType + "boolean, but is number"},
        {R"({"Enabled": null})", kType + "boolean, but is null"},
        {R"({"DebugLogging": "yes"})", kType + "boolean, but is string"},
        {R"({"ExhaustedCounterText": 5})", kType + "string, but is number"},
        {R"({"MaxCraftChancePercent": "50"})", kType + "number, but is string"},
        {R"({"MaxCraftingsPerBlueprint": 50.0})", "MaxCraftingsPerBlueprint must be an integer"},
        {R"({"MaxCraftingsPerBlueprint": 0})", kCrafts},
        {R"({"MaxCraftingsPerBlueprint": -5})", kCrafts},
        {R"({"MaxCraftingsPerBlueprint": 1000001})", kCrafts},
        {R"({"MaxCraftingsPerBlueprint": 18446744073709551615})", kCrafts},
        {R"({"MaxCraftingsPerBlueprint": 1})", "ok 50.0 1"},
        {R"({"MaxCraftingsPerBlueprint": 1000000})", "ok 50.0 1000000"},
        {R"({"MaxCraftChancePercent": 100.5})", kChance},
        {R"({"MaxCraftChancePercent": -0.5})", kChance},
        {R"({"MaxCraftChancePercent": 1e300})", kChance},
        {R"({"MaxCraftChancePercent": -1e300})", kChance},
        {R"({"MaxCraftChancePercent": 18446744073709551615})", kChance},
        {R"({"MaxCraftChancePercent": 0})", "ok 0.0 50"},
        {R"({"MaxCraftChancePercent": 100})", "ok 100.0 50"},
        {R"({"MaxCraftChancePercent": 100.000001})", "ok 100.0 50"},  // 100 as a 32-bit float
        {R"({"MaxCraftChancePercent": true})", "ok 1.0 50"},
        {R"({"AdoptTestBlueprints": []})", "AdoptTestBlueprints must be an object"},
        {R"({"AdoptTestBlueprints": null})", "AdoptTestBlueprints must be an object"},
        {R"({"AdoptTestBlueprints": {"1:2": 2.0}})", "Adoption counts must be integers"},
        {R"({"AdoptTestBlueprints": {"1:2": -1}})", kAdoption},
        {R"({"AdoptTestBlueprints": {"1:2": 51}})", kAdoption},
        {R"({"AdoptTestBlueprints": {"1:2": 50}})", "ok 50.0 50 1:2=50"},
        // Adoption counts are measured against the crafts cap of the same file.
        {R"({"MaxCraftingsPerBlueprint": 5, "AdoptTestBlueprints": {"1:2": 6}})", kAdoption},
        {R"({"MaxCraftingsPerBlueprint": 500, "AdoptTestBlueprints": {"1:2": 60}})",
         "ok 50.0 500 1:2=60"},
        {json{{"ExhaustedCounterText", std::string(256, 'x')}}.dump(), "ok 50.0 50"},
        {json{{"ExhaustedCounterText", std::string(257, 'x')}}.dump(), kText},
        {json{{"ExhaustedCounterText", Euros(86)}}.dump(), kText},  // 86 characters, 258 bytes
        // The crafts check comes before the range of the percentage, and a type error of a later
        // boolean before that range too; adoption members go in byte order of their names.
        {R"({"MaxCraftChancePercent": 500, "MaxCraftingsPerBlueprint": 0})", kCrafts},
        {R"({"MaxCraftChancePercent": 500, "BlockLevelUpsAtCap": 0})",
         kType + "boolean, but is number"},
        {R"({"AdoptTestBlueprints": {"b": 2.5, "a": -1}})", kAdoption},
        {R"({"AdoptTestBlueprints": {"a": 2.5, "b": -1}})", "Adoption counts must be integers"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Outcome(text), expected) << text;
}

class LoadConfigurationTest : public ::testing::Test {
  protected:
    LoadConfigurationTest() {
        txl::State().ConfigPath = (folder_.Path() / "config.json").wstring();
    }

    // Writes the file unless null, loads it and gives what the load refused it with.
    std::string Load(const char* text = nullptr) {
        if (text != nullptr) folder_.WriteConfig(text);
        try {
            txl::LoadConfiguration();
        } catch (const std::exception& error) {
            return error.what();
        }
        return "(accepted)";
    }

    txltest::EmulatedServer server_;
    txltest::PluginFolder folder_;
};

TEST_F(LoadConfigurationTest, CommitsEverySettingTogether) {
    ASSERT_EQ(Load(R"({"Enabled": false, "MaxCraftChancePercent": 25, "MaxCraftingsPerBlueprint": 9,
                       "AdoptTestBlueprints": {"5:6": 2}})"),
              "(accepted)");
    const txl::PluginState& state = txl::State();
    EXPECT_FALSE(state.EnforcementEnabled);
    EXPECT_FALSE(state.Config.Enabled);
    EXPECT_EQ(state.MaxChanceFraction, 0.25f);
    EXPECT_EQ(state.MaxCrafts, 9);
    EXPECT_EQ(state.AdoptionCounts.at("5:6"), 2);
    EXPECT_EQ(state.Config.AdoptTestBlueprints.at("5:6"), 2);

    // A later load replaces the adoption counts rather than adding to them.
    ASSERT_EQ(Load(R"({"AdoptTestBlueprints": {"7:8": 1}})"), "(accepted)");
    EXPECT_TRUE(state.EnforcementEnabled);
    EXPECT_EQ(state.AdoptionCounts.size(), 1u);
    EXPECT_EQ(state.AdoptionCounts.count("7:8"), 1u);
}

TEST_F(LoadConfigurationTest, FailedLoadLeavesEverythingAsItWas) {
    ASSERT_EQ(Load(R"({"MaxCraftChancePercent": 30, "MaxCraftingsPerBlueprint": 12,
                       "ExhaustedCounterText": "gone", "AdoptTestBlueprints": {"1:1": 3}})"),
              "(accepted)");
    txl::State().EnforcementEnabled = false;  // as a runtime error leaves it

    for (const char* broken :
         {"", "{", R"({"MaxCraftingsPerBlueprint": 0})", R"({"Enabled": "yes"})",
          R"({"AdoptTestBlueprints": {"1:1": 99}})", "[1]"}) {
        EXPECT_NE(Load(broken), "(accepted)") << broken;
        const txl::PluginState& state = txl::State();
        EXPECT_FALSE(state.EnforcementEnabled);
        EXPECT_EQ(state.MaxChanceFraction, 0.3f);
        EXPECT_EQ(state.MaxCrafts, 12);
        EXPECT_EQ(state.Config.ExhaustedCounterText, "gone");
        EXPECT_EQ(state.AdoptionCounts.at("1:1"), 3);
    }
    folder_.RemoveConfig();
    EXPECT_EQ(Load(), "Cannot open config.json");
    // A folder in its place cannot be opened either, whatever it reads as.
    std::filesystem::create_directory(folder_.Path() / "config.json");
    EXPECT_EQ(Load(), "Cannot open config.json");
    EXPECT_EQ(txl::State().MaxCrafts, 12);
}

TEST_F(LoadConfigurationTest, ReadsTheFirstValueOnlyAndSkipsAByteOrderMark) {
    EXPECT_EQ(Load("\xEF\xBB\xBF{\"MaxCraftingsPerBlueprint\": 3}"), "(accepted)");
    EXPECT_EQ(txl::State().MaxCrafts, 3);
    EXPECT_EQ(Load("{\"MaxCraftingsPerBlueprint\": 4} trailing words {"), "(accepted)");
    EXPECT_EQ(txl::State().MaxCrafts, 4);
    EXPECT_NE(Load("").find("parse_error"), std::string::npos);
    EXPECT_NE(Load("// note\n{}").find("parse_error"), std::string::npos);
}

}  // namespace
