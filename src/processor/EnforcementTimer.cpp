#include "processor/EnforcementTimer.h"

namespace txl {

void RunEnforcementTimer() {}

}  // namespace txl
