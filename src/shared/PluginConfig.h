#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace txl {

// The validated settings of config.json, one field per key, holding the defaults until loaded.
struct PluginConfig {
    bool Enabled = true;
    bool ShowCraftCounter = true;
    bool BlockLevelUpsAtCap = true;
    bool DestroyExhaustedBlueprints = false;
    bool DebugLogging = false;
    float MaxCraftChancePercent = 50.0f;
    std::int32_t MaxCraftingsPerBlueprint = 50;
    std::string ExhaustedCounterText = "Craft limit reached";
    std::unordered_map<std::string, std::int32_t> AdoptTestBlueprints;
};

}  // namespace txl
