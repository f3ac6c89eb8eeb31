#pragma once

#include <string>

#include "AsaApi/EngineTypes.h"

namespace txl {

// The report as written: {"animals", "classes"}, every processor creature of the world in the
// game's actor order, and the class record of each distinct creature class name, captured once.
// Each creature's record is serialised as soon as it is built, so the document is never held
// twice. Text that is not valid UTF-8 raises the JSON library's error once every creature was
// described, as serialising the whole document at the end would.
std::string SerialiseInspectionReport(UWorld* world);

}  // namespace txl
