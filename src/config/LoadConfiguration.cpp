#include "config/LoadConfiguration.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

#include "config/ValidateConfig.h"
#include "shared/PlatformPaths.h"
#include "shared/PluginState.h"

namespace txl {

void LoadConfiguration() {
    const std::filesystem::path path = ToFilesystemPath(State().ConfigPath);
    // A folder may open like a file and then read as nothing.
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw std::runtime_error("Cannot open config.json");
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) throw std::runtime_error("Cannot open config.json");
    // The stream reader skips a byte-order mark and stops after the first complete value.
    nlohmann::json value;
    file >> value;
    PluginConfig config = ValidateConfig(value);

    // Every copy is made before anything is committed; the commit itself cannot throw.
    auto adoptionCounts = config.AdoptTestBlueprints;
    PluginState& state = State();
    const bool enabled = config.Enabled;
    const float fraction = config.MaxCraftChancePercent / 100.0f;
    const std::int32_t maxCrafts = config.MaxCraftingsPerBlueprint;
    state.Config = std::move(config);
    state.EnforcementEnabled = enabled;
    state.MaxChanceFraction = fraction;
    state.MaxCrafts = maxCrafts;
    state.AdoptionCounts = std::move(adoptionCounts);
}

}  // namespace txl
