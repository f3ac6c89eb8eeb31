#include "processor/ProcessorEnforcement.h"

namespace txl {

void EnforceProcessorLimits(UObject*, bool) {}
void EnforceProcessor(UObject*) {}

}  // namespace txl
