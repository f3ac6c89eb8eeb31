#pragma once

#include <nlohmann/json.hpp>

#include "AsaApi/EngineTypes.h"

namespace txl {

// {"animals", "classes"}: every processor creature of the world in the game's actor order, and
// the class record of each distinct creature class name, captured once.
nlohmann::json BuildInspectionReport(UWorld* world);

}  // namespace txl
