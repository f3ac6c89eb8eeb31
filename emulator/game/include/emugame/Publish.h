#pragma once

#include <string>

#include "emugame/GameFunction.h"
#include "emuhost/NameRegistry.h"

namespace emu {

// Publishes game functions with the host under their qualified names, each under the type it
// is declared with to plug-ins.
struct Publisher {
    template <auto Native, typename Declared>
    void Function(const std::string& name) {
        emuhost::NameRegistry::Instance().RegisterFunction(
            name, reinterpret_cast<void*>(&GameFunction<Native, Declared>::Call),
            reinterpret_cast<void*>(&GameFunction<Native, Declared>::Fail));
    }
};

void PublishEngineFunctions(Publisher& publish);
void PublishActorFunctions(Publisher& publish);
void PublishItemFunctions(Publisher& publish);
void PublishFields();

}  // namespace emu
