#pragma once

#include <string>

#include "emuhost/Export.h"

// The emulator is as strict as the game: a call it cannot honour ends the process with a message
// instead of reading memory it must not.
namespace emuhost {

[[noreturn]] EMUHOST_API void AbortOnMisuse(const std::string& message);

// The game's allocator tells the host how to recognise a buffer it has released.
using ReleasedBufferTest = bool (*)(const void* data);
EMUHOST_API void SetReleasedBufferTest(ReleasedBufferTest test);
// Aborts, naming `reader`, when `data` lies in an engine buffer that was released.
EMUHOST_API void RequireUnreleased(const void* data, const char* reader);

}  // namespace emuhost
