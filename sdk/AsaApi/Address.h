#pragma once

#include <string>

#include "AsaApi/EngineTypes.h"
#include "AsaApi/Export.h"

// Entry of a game function, such as "FMemory.Free(void*)".
ASAAPI_API void* GetAddress(const std::string& name);
// Address of a named field, such as "UPrimalItem.ItemID", inside `base`.
ASAAPI_API unsigned long long GetAddress(const void* base, const std::string& name);
// Location of a named packed flag inside `base`.
ASAAPI_API BitField GetBitField(void* base, const std::string& name);
