#pragma once

#include <nlohmann/json.hpp>

#include "AsaApi/EngineTypes.h"

namespace txl {

// The class record of a creature class: {"properties", "functions"} of the structs on its
// chain whose names contain "Thalassovex", each function with its script as hex, its locals and
// the places in its script where the address of a reflected object of the chain stands.
nlohmann::json CaptureClassReflection(UClass* cls);

}  // namespace txl
