#pragma once

#include <nlohmann/json.hpp>

#include "shared/PluginConfig.h"

namespace txl {

// A complete record from the parsed file, or a std::exception naming the first problem.
PluginConfig ValidateConfig(const nlohmann::json& value);

}  // namespace txl
