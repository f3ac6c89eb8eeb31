#pragma once

#include "AsaApi/EngineTypes.h"

namespace txl {

// Writes processor-runtime.json beside the plug-in and replies.
void HandleInspectCommand(RCONClientConnection* connection, RCONPacket* packet, UWorld* world);

}  // namespace txl
