#include "shared/HookFailure.h"

#include "host/RconReply.h"
#include "shared/Logger.h"

namespace txl {

void LogHookFailure(const std::exception& error) {
    Log().error("Thalassovex hook failed: {}", error.what());
}

void ReplyOrLogFailure(RCONClientConnection* connection, const RCONPacket* packet,
                       const std::wstring& text) {
    try {
        host::SendRconReply(connection, packet, text);
    } catch (const std::exception& error) {
        LogHookFailure(error);
    }
}

}  // namespace txl
