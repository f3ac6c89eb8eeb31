#pragma once

#include <exception>
#include <string>

#include "AsaApi/EngineTypes.h"

namespace txl {

// The one line a host or game callback logs when the plug-in's own work in it failed; the
// caller then carries on as the game would without the plug-in.
void LogHookFailure(const std::exception& error);

// Answers an RCON request; a reply that cannot be sent is logged as above, so it never ends
// the server from the host's frame.
void ReplyOrLogFailure(RCONClientConnection* connection, const RCONPacket* packet,
                       const std::wstring& text);

}  // namespace txl
