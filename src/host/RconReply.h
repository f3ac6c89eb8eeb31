#pragma once

#include <string>

#include "AsaApi/EngineTypes.h"

namespace txl::host {

// Answers an RCON request on its own connection, with the request's id and type 0.
void SendRconReply(RCONClientConnection* connection, const RCONPacket* packet,
                   const std::wstring& text);

}  // namespace txl::host
