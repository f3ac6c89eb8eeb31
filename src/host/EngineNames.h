#pragma once

#include <string>

#include "AsaApi/EngineTypes.h"

// Names of engine objects and fields as UTF-8 text.
namespace txl::host {

std::string NameText(const FName& name);
FName MakeName(const std::string& text);
// UObjectBase.NamePrivate of any object.
std::string ObjectName(const void* object);
// The name of the object's own class; empty when it has none.
std::string ClassNameOf(const void* object);
UClass* ClassOf(const void* object);

}  // namespace txl::host
