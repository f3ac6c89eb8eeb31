#pragma once

#include "AsaApi/EngineTypes.h"

namespace txl {

// Applies the limits to every loaded processor creature and replies.
void HandleApplyCommand(RCONClientConnection* connection, RCONPacket* packet, UWorld* world);

}  // namespace txl
