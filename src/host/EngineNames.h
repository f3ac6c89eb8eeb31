#pragma once

#include <string>
#include <string_view>

#include "AsaApi/EngineTypes.h"
#include "host/StackText.h"

// Names of engine objects and fields as UTF-8 text.
namespace txl::host {

std::string NameText(const FName& name);
// The same text, converted into `out` without a heap allocation of ours for usual names.
void ReadNameText(const FName& name, ShortText& out);
// Whether the name reads exactly `text`. A name whose converted length differs is not
// converted any further.
bool NameEquals(const FName& name, std::string_view text);
FName MakeName(const std::string& text);
// UObjectBase.NamePrivate of any object.
std::string ObjectName(const void* object);
void ReadObjectName(const void* object, ShortText& out);
bool ObjectNameEquals(const void* object, std::string_view text);
// The name of the object's own class; empty when it has none.
std::string ClassNameOf(const void* object);
UClass* ClassOf(const void* object);

}  // namespace txl::host
