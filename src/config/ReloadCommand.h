#pragma once

#include "AsaApi/EngineTypes.h"

namespace txl {

// Re-reads config.json; a refused file keeps the settings in force.
void HandleReloadCommand(RCONClientConnection* connection, RCONPacket* packet, UWorld* world);

}  // namespace txl
