#include "config/ReloadCommand.h"

namespace txl {

void HandleReloadCommand(RCONClientConnection*, RCONPacket*, UWorld*) {}

}  // namespace txl
