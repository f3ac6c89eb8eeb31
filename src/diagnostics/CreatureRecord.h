#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "AsaApi/EngineTypes.h"

namespace txl {

// One processor creature: its class and listed items always; its success values (status 11,
// plus 1.0) when it has a status component; chance, skill and maxCrafts when its class has a
// valid layout. Reading "effectiveSuccess" passes through the plug-in's status detour.
nlohmann::json DescribeProcessorCreature(UObject* creature, const std::string& className);

}  // namespace txl
