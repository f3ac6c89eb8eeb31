#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "config/LoadConfiguration.h"
#include "shared/PluginState.h"
#include "support/EmulatedServer.h"

namespace {

class LoadConfigurationTest : public ::testing::Test {
  protected:
    LoadConfigurationTest() {
        txl::State().ConfigPath = (folder_.Path() / "config.json").wstring();
    }

    void Write(const std::string& text) { folder_.WriteConfig(text); }

    std::string FailureOf(const std::string& text) {
        Write(text);
        return FailureOfLoad();
    }
    static std::string FailureOfLoad() {
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
    Write(R"({"Enabled": false, "MaxCraftChancePercent": 25, "MaxCraftingsPerBlueprint": 9,
              "AdoptTestBlueprints": {"5:6": 2}})");
    txl::LoadConfiguration();
    const txl::PluginState& state = txl::State();
    EXPECT_FALSE(state.EnforcementEnabled);
    EXPECT_FALSE(state.Config.Enabled);
    EXPECT_EQ(state.MaxChanceFraction, 0.25f);
    EXPECT_EQ(state.MaxCrafts, 9);
    EXPECT_EQ(state.AdoptionCounts.at("5:6"), 2);
    EXPECT_EQ(state.Config.AdoptTestBlueprints.at("5:6"), 2);

    // A later load replaces the adoption counts rather than adding to them.
    Write(R"({"AdoptTestBlueprints": {"7:8": 1}})");
    txl::LoadConfiguration();
    EXPECT_TRUE(state.EnforcementEnabled);
    EXPECT_EQ(state.AdoptionCounts.size(), 1u);
    EXPECT_EQ(state.AdoptionCounts.count("7:8"), 1u);
}

TEST_F(LoadConfigurationTest, FailedLoadLeavesEverythingAsItWas) {
    Write(
        R"({"MaxCraftChancePercent": 30, "MaxCraftingsPerBlueprint": 12, "ExhaustedCounterText": "gone",
              "AdoptTestBlueprints": {"1:1": 3}})");
    txl::LoadConfiguration();
    txl::State().EnforcementEnabled = false;  // as a runtime error leaves it

    for (const char* broken :
         {"", "{", R"({"MaxCraftingsPerBlueprint": 0})", R"({"Enabled": "yes"})",
          R"({"AdoptTestBlueprints": {"1:1": 99}})", "[1]"}) {
        EXPECT_NE(FailureOf(broken), "(accepted)") << broken;
        const txl::PluginState& state = txl::State();
        EXPECT_FALSE(state.EnforcementEnabled);
        EXPECT_EQ(state.MaxChanceFraction, 0.3f);
        EXPECT_EQ(state.MaxCrafts, 12);
        EXPECT_EQ(state.Config.ExhaustedCounterText, "gone");
        EXPECT_EQ(state.AdoptionCounts.at("1:1"), 3);
    }
    folder_.RemoveConfig();
    EXPECT_EQ(FailureOfLoad(), "Cannot open config.json");
    // A folder in its place cannot be opened either, whatever it reads as.
    std::filesystem::create_directory(folder_.Path() / "config.json");
    EXPECT_EQ(FailureOfLoad(), "Cannot open config.json");
    EXPECT_EQ(txl::State().MaxCrafts, 12);
}

TEST_F(LoadConfigurationTest, ReadsTheFirstValueOnlyAndSkipsAByteOrderMark) {
    EXPECT_EQ(FailureOf("\xEF\xBB\xBF{\"MaxCraftingsPerBlueprint\": 3}"), "(accepted)");
    EXPECT_EQ(txl::State().MaxCrafts, 3);
    EXPECT_EQ(FailureOf("{\"MaxCraftingsPerBlueprint\": 4} trailing words {"), "(accepted)");
    EXPECT_EQ(txl::State().MaxCrafts, 4);
    EXPECT_NE(FailureOf("").find("parse_error"), std::string::npos);
    EXPECT_NE(FailureOf("// note\n{}").find("parse_error"), std::string::npos);
}

}  // namespace
