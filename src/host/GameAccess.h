#pragma once

#include <string>

#include "AsaApi/Address.h"
#include "AsaApi/EngineTypes.h"

// Name-based access to the game's fields, packed flags and functions through the host.
namespace txl::host {

template <typename T>
T& Field(const void* object, const std::string& name) {
    return *reinterpret_cast<T*>(GetAddress(object, name));
}

bool ReadFlag(void* object, const std::string& name);
void WriteFlag(void* object, const std::string& name, bool on);

// Calls a game function by its qualified name, the object (if any) first.
template <typename R, typename... Args>
R Call(const std::string& name, Args... args) {
    return reinterpret_cast<R (*)(Args...)>(GetAddress(name))(args...);
}

}  // namespace txl::host
