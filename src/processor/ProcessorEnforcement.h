#pragma once

#include "AsaApi/EngineTypes.h"

namespace txl {

// Sets a processor's three properties to the caps, lowers its success status when it is
// team-owned and replicates what changed. Discovery and property errors are logged here.
void EnforceProcessorLimits(UObject* creature, bool force);
// The same for a creature the caller has already recognised as a processor.
void EnforceRecognisedProcessorLimits(UObject* creature, bool force);

// Tracks, enforces (forced) and refreshes the counters of one creature. Nothing escapes:
// an error switches enforcement off.
void EnforceProcessor(UObject* object);

}  // namespace txl
