#pragma once

#include <memory>
#include <vector>

#include <spdlog/sinks/sink.h>

#include "AsaApi/Export.h"

// The server's log sinks, shared by every plug-in logger.
ASAAPI_API std::vector<std::shared_ptr<spdlog::sinks::sink>>& GetLogSinks();
