#pragma once

#include "emugame/Game.h"

namespace emu {

// The compiled functions of the processor blueprint class: an event graph and a limits function
// with locals, and a delegate signature, whose scripts refer to the class's properties, its child
// fields and the locals of both functions.
void DefineProcessorScripts(Game& game, Class* processor);

}  // namespace emu
