#include "crafting/CounterParts.h"
#include "host/GameAccess.h"

namespace txl::crafting {

UObject* ResolveWeakReference(const FWeakObjectPtr& weak) {
    return host::Call<UObject*>("FWeakObjectPtr.Get()", &weak);
}

FWeakObjectPtr MakeWeakReference(UObject* object) {
    FWeakObjectPtr weak;
    host::Call<void>("FWeakObjectPtr.operator=(UObject*)", &weak, object);
    return weak;
}

}  // namespace txl::crafting
