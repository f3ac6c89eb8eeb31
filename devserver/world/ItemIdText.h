#pragma once

#include <optional>
#include <string>

#include "AsaApi/EngineTypes.h"

namespace txl::devserver {

// Item ids as administrators write them: the two ItemID parts in unsigned decimal, "A:B".
std::string ItemIdText(const FItemNetID& id);
std::optional<FItemNetID> ParseItemId(const std::string& text);

}  // namespace txl::devserver
