#include "host/WeakObjects.h"

#include "host/GameAccess.h"

namespace txl::host {

FWeakObjectPtr MakeWeakReference(UObject* object) {
    FWeakObjectPtr weak;
    Call<void>("FWeakObjectPtr.operator=(UObject*)"_function, &weak, object);
    return weak;
}

UObject* ResolveWeakReference(const FWeakObjectPtr& weak) {
    // The game's Get takes whether to accept objects pending kill; they count as gone.
    return Call<UObject*>("FWeakObjectPtr.Get()"_function, &weak, false);
}

}  // namespace txl::host
