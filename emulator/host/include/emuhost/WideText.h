#pragma once

#include <string>

#include "AsaApi/EngineTypes.h"
#include "emuhost/Export.h"

namespace emuhost {

// UTF-8 <-> engine wide text, for the host's and the emulator's own use.
EMUHOST_API std::string ToUtf8(const wchar_t* text, int count);
EMUHOST_API std::string ToUtf8(const FString& text);
EMUHOST_API std::wstring ToWide(const std::string& text);

}  // namespace emuhost
