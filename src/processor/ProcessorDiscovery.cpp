#include "processor/ProcessorDiscovery.h"

#include <stdexcept>

#include "plugin/PluginState.h"

namespace txl {

std::pair<ProcessorLayout&, bool> AcquireProcessorLayout(UClass* cls) {
    auto [entry, created] = State().ProcessorLayouts.try_emplace(cls);
    return {entry->second, created};
}

ProcessorProperty FindProcessorProperty(UClass*, const std::string&, const std::string&) {
    throw std::runtime_error("Required processor property is missing");
}

}  // namespace txl
