#pragma once

#include <string>

#include "emuhost/NameRegistry.h"

namespace emu {

// Publishes game functions with the host under their qualified names.
struct Publisher {
    template <typename R, typename... Args>
    void Function(const std::string& name, R (*function)(Args...)) {
        emuhost::NameRegistry::Instance().RegisterFunction(name, reinterpret_cast<void*>(function));
    }
};

void PublishEngineFunctions(Publisher& publish);
void PublishActorFunctions(Publisher& publish);
void PublishItemFunctions(Publisher& publish);
void PublishFields();

}  // namespace emu
