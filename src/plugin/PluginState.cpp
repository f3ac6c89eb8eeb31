#include "plugin/PluginState.h"

#include "plugin/HookTable.h"

namespace txl {

PluginState& State() {
    static PluginState state = [] {
        PluginState initial;
        initial.Hooks = MakeHookTable();
        return initial;
    }();
    return state;
}

}  // namespace txl
