#pragma once

#include <string>

#include "AsaApi/Export.h"

namespace AsaApi {

// Hook manager. Installing fills `original` with the entry through which the
// detour reaches the hooked function itself.
class IHooks {
  public:
    virtual ~IHooks() = default;
    virtual bool RemoveHook(const std::string& functionName, void* detour) = 0;
    virtual bool InstallHook(const std::string& functionName, void* detour, void** original) = 0;
};

ASAAPI_API IHooks& GetHooks();

}  // namespace AsaApi
