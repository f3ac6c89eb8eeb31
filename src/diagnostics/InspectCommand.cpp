#include "diagnostics/InspectCommand.h"

namespace txl {

void HandleInspectCommand(RCONClientConnection*, RCONPacket*, UWorld*) {}

}  // namespace txl
