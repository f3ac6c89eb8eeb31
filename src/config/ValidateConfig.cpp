#include "config/ValidateConfig.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace txl {
namespace {

constexpr std::int64_t kMaxCraftsLimit = 1000000;
constexpr std::size_t kMaxExhaustedTextBytes = 256;

// Absent keys keep their default; a present key of the wrong type raises the library's type error.
template <typename T>
void ReadIfPresent(const nlohmann::json& object, const char* key, T& target) {
    if (auto found = object.find(key); found != object.end()) target = found->template get<T>();
}

// A percentage beyond the range of a float cannot be converted; it is out of range, so it
// becomes NaN and fails the range check in its turn.
float ReadPercent(const nlohmann::json& value) {
    if (value.is_boolean()) return value.get<bool>() ? 1.0f : 0.0f;
    auto percent = value.get<double>();
    if (std::isnan(percent) || percent > FLT_MAX || percent < -FLT_MAX)
        return std::numeric_limits<float>::quiet_NaN();
    return static_cast<float>(percent);
}

}  // namespace

PluginConfig ValidateConfig(const nlohmann::json& value) {
    if (!value.is_object()) throw std::runtime_error("Config must be a JSON object");
    PluginConfig config;
    ReadIfPresent(value, "Enabled", config.Enabled);
    if (auto found = value.find("MaxCraftChancePercent"); found != value.end()) {
        config.MaxCraftChancePercent = ReadPercent(*found);
    }
    if (auto found = value.find("MaxCraftingsPerBlueprint"); found != value.end()) {
        if (!found->is_number_integer())
            throw std::runtime_error("MaxCraftingsPerBlueprint must be an integer");
        auto crafts = found->get<std::int64_t>();
        if (crafts < 1 || crafts > kMaxCraftsLimit) {
            throw std::runtime_error("MaxCraftingsPerBlueprint must be 1..1000000");
        }
        config.MaxCraftingsPerBlueprint = static_cast<std::int32_t>(crafts);
    }
    ReadIfPresent(value, "ShowCraftCounter", config.ShowCraftCounter);
    ReadIfPresent(value, "BlockLevelUpsAtCap", config.BlockLevelUpsAtCap);
    ReadIfPresent(value, "DestroyExhaustedBlueprints", config.DestroyExhaustedBlueprints);
    ReadIfPresent(value, "DebugLogging", config.DebugLogging);
    ReadIfPresent(value, "ExhaustedCounterText", config.ExhaustedCounterText);

    float percent = config.MaxCraftChancePercent;
    if (!std::isfinite(percent) || percent < 0.0f || percent > 100.0f) {
        throw std::runtime_error("MaxCraftChancePercent must be 0..100");
    }
    if (config.ExhaustedCounterText.size() > kMaxExhaustedTextBytes) {
        throw std::runtime_error("ExhaustedCounterText exceeds 256 UTF-8 bytes");
    }
    if (auto found = value.find("AdoptTestBlueprints"); found != value.end()) {
        if (!found->is_object()) throw std::runtime_error("AdoptTestBlueprints must be an object");
        // Members come in ascending byte order of their names.
        for (const auto& [name, count] : found->items()) {
            if (!count.is_number_integer())
                throw std::runtime_error("Adoption counts must be integers");
            auto adopted = count.get<std::int64_t>();
            if (adopted < 0 || adopted > config.MaxCraftingsPerBlueprint) {
                throw std::runtime_error("Adoption count exceeds max crafts");
            }
            config.AdoptTestBlueprints[name] = static_cast<std::int32_t>(adopted);
        }
    }
    return config;
}

}  // namespace txl
