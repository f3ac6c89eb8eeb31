#pragma once

#include <nlohmann/json.hpp>

#include "AsaApi/EngineTypes.h"

namespace txl {

// The blueprint-relevant state of one inventory item: blueprint, class, description,
// durability, id1, id2, maxCraftings (-1 without sparse class data) and nativeRemaining.
nlohmann::json DescribeInventoryItem(UPrimalItem* item);

}  // namespace txl
