#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace txl {

// Looked up by a key written into a stack buffer, so a lookup allocates nothing.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
        return std::hash<std::string_view>{}(text);
    }
};

// Blueprint key ("first:second") to the number of crafts it starts with as used.
using AdoptionTable = std::unordered_map<std::string, std::int32_t, TextHash, std::equal_to<>>;

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
    AdoptionTable AdoptTestBlueprints;
};

}  // namespace txl
