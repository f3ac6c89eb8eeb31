#include "shared/PluginState.h"

namespace txl {

PluginState& State() {
    static PluginState state;
    return state;
}

}  // namespace txl
