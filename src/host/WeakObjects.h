#pragma once

#include "AsaApi/EngineTypes.h"

// Weak object references, kept across calls where a plain pointer could dangle.
namespace txl::host {

FWeakObjectPtr MakeWeakReference(UObject* object);
// The object, or null once it is gone.
UObject* ResolveWeakReference(const FWeakObjectPtr& weak);

}  // namespace txl::host
