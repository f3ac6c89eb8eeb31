#include "processor/ApplyCommand.h"

namespace txl {

void HandleApplyCommand(RCONClientConnection*, RCONPacket*, UWorld*) {}

}  // namespace txl
