#pragma once

#include <string>
#include <utility>

#include "AsaApi/EngineTypes.h"
#include "shared/ProcessorLayout.h"
#include "shared/ProcessorRecognition.h"

namespace txl {

// The class's entry in ProcessorLayouts and whether this call created it (only then is the
// class discovered). Discovery failures raise; the entry then stays invalid.
std::pair<ProcessorLayout&, bool> AcquireProcessorLayout(UClass* cls);

// One property of the class or its ancestors; raises on a missing or unfit property.
ProcessorProperty FindProcessorProperty(UClass* cls, const std::string& name,
                                        const std::string& expectedType);

// A "float"-expected property: 8-byte values as double, others as float widened.
double ReadProcessorNumber(const void* object, const ProcessorProperty& property);

}  // namespace txl
