#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzCheck.h"
#include "FuzzProcess.h"
#include "FuzzTargets.h"
#include "config/LoadConfiguration.h"
#include "shared/PluginState.h"

// Any bytes as config.json, through the whole load: a refused file leaves every setting as it
// was; an accepted one commits values within their bounds, all together.
namespace txlfuzz {
namespace {

// The settings a load may change, captured to compare and to put back.
struct Settings {
    txl::PluginConfig Config;
    bool EnforcementEnabled = false;
    float MaxChanceFraction = 0.0f;
    std::int32_t MaxCrafts = 0;
    txl::AdoptionTable AdoptionCounts;
    std::wstring ConfigPath;

    static Settings Take() {
        const txl::PluginState& state = txl::State();
        return {state.Config,    state.EnforcementEnabled, state.MaxChanceFraction,
                state.MaxCrafts, state.AdoptionCounts,     state.ConfigPath};
    }
    void Put() const {
        txl::PluginState& state = txl::State();
        state.Config = Config;
        state.EnforcementEnabled = EnforcementEnabled;
        state.MaxChanceFraction = MaxChanceFraction;
        state.MaxCrafts = MaxCrafts;
        state.AdoptionCounts = AdoptionCounts;
        state.ConfigPath = ConfigPath;
    }
};

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool Unchanged(const Settings& before, const Settings& after) {
    const txl::PluginConfig& a = before.Config;
    const txl::PluginConfig& b = after.Config;
    return a.Enabled == b.Enabled && a.ShowCraftCounter == b.ShowCraftCounter &&
           a.BlockLevelUpsAtCap == b.BlockLevelUpsAtCap &&
           a.DestroyExhaustedBlueprints == b.DestroyExhaustedBlueprints &&
           a.DebugLogging == b.DebugLogging &&
           SameBits(a.MaxCraftChancePercent, b.MaxCraftChancePercent) &&
           a.MaxCraftingsPerBlueprint == b.MaxCraftingsPerBlueprint &&
           a.ExhaustedCounterText == b.ExhaustedCounterText &&
           a.AdoptTestBlueprints == b.AdoptTestBlueprints &&
           before.EnforcementEnabled == after.EnforcementEnabled &&
           SameBits(before.MaxChanceFraction, after.MaxChanceFraction) &&
           before.MaxCrafts == after.MaxCrafts && before.AdoptionCounts == after.AdoptionCounts;
}

void CheckAccepted(const Settings& loaded) {
    const txl::PluginConfig& config = loaded.Config;
    TXL_FUZZ_CHECK(std::isfinite(config.MaxCraftChancePercent));
    TXL_FUZZ_CHECK(config.MaxCraftChancePercent >= 0.0f && config.MaxCraftChancePercent <= 100.0f);
    TXL_FUZZ_CHECK(SameBits(loaded.MaxChanceFraction, config.MaxCraftChancePercent / 100.0f));
    TXL_FUZZ_CHECK(config.MaxCraftingsPerBlueprint >= 1 &&
                   config.MaxCraftingsPerBlueprint <= 1000000);
    TXL_FUZZ_CHECK(loaded.MaxCrafts == config.MaxCraftingsPerBlueprint);
    TXL_FUZZ_CHECK(config.ExhaustedCounterText.size() <= 256);
    TXL_FUZZ_CHECK(loaded.EnforcementEnabled == config.Enabled);
    TXL_FUZZ_CHECK(loaded.AdoptionCounts == config.AdoptTestBlueprints);
    for (const auto& [key, count] : loaded.AdoptionCounts) {
        TXL_FUZZ_CHECK(count >= 0 && count <= config.MaxCraftingsPerBlueprint);
    }
}

// Settings no valid file can produce, so a partial commit cannot go unnoticed.
Settings Sentinel(const std::wstring& path) {
    Settings sentinel;
    sentinel.Config.Enabled = false;
    sentinel.Config.ShowCraftCounter = false;
    sentinel.Config.BlockLevelUpsAtCap = false;
    sentinel.Config.DestroyExhaustedBlueprints = true;
    sentinel.Config.DebugLogging = true;
    sentinel.Config.MaxCraftChancePercent = -7.0f;
    sentinel.Config.MaxCraftingsPerBlueprint = -3;
    sentinel.Config.ExhaustedCounterText = "sentinel";
    sentinel.Config.AdoptTestBlueprints = {{"sentinel", -1}};
    sentinel.EnforcementEnabled = true;
    sentinel.MaxChanceFraction = -0.07f;
    sentinel.MaxCrafts = -3;
    sentinel.AdoptionCounts = {{"sentinel", -2}};
    sentinel.ConfigPath = path;
    return sentinel;
}

const std::filesystem::path& ScratchFile() {
    static const std::filesystem::path file = ScratchFolder() / "loaded-config.json";
    return file;
}

}  // namespace

int FuzzConfigLoad(const std::uint8_t* data, std::size_t size) {
    const Settings saved = Settings::Take();
    {
        std::ofstream file(ScratchFile(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const Settings sentinel = Sentinel(ScratchFile().wstring());
    sentinel.Put();
    bool accepted = true;
    try {
        txl::LoadConfiguration();
    } catch (const std::exception&) {
        accepted = false;
    }
    const Settings after = Settings::Take();
    if (accepted) {
        CheckAccepted(after);
    } else {
        TXL_FUZZ_CHECK(Unchanged(sentinel, after));
    }
    saved.Put();
    return 0;
}

}  // namespace txlfuzz
