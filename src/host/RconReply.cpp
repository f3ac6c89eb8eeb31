#include "host/RconReply.h"

#include "host/EngineText.h"
#include "host/GameAccess.h"

namespace txl::host {

void SendRconReply(RCONClientConnection* connection, const RCONPacket* packet,
                   const std::wstring& text) {
    EngineString reply(text);
    Call<void>("RCONClientConnection.SendMessage(int,int,FString&)"_function, connection,
               packet->Id, 0, &reply.Get());
    reply.Release();
}

}  // namespace txl::host
