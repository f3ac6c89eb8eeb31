#pragma once

#include "AsaApi/EngineTypes.h"
#include "AsaApi/Export.h"

// Conversions between engine wide text and UTF-8. A null target asks for the
// number of target units that `sourceLength` source units need.
namespace UE::Core::Private {
ASAAPI_API int32 GetConvertedLength(const UTF8CHAR* target, const wchar_t* source,
                                    int32 sourceLength);
ASAAPI_API void Convert(UTF8CHAR* target, int32 targetLength, const wchar_t* source,
                        int32 sourceLength);
ASAAPI_API int32 GetConvertedLength(const wchar_t* target, const UTF8CHAR* source,
                                    int32 sourceLength);
ASAAPI_API void Convert(wchar_t* target, int32 targetLength, const UTF8CHAR* source,
                        int32 sourceLength);
}  // namespace UE::Core::Private
