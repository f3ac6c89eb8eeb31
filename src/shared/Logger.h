#pragma once

#include <memory>

#include <spdlog/logger.h>

namespace txl {

// The plug-in's logger, shared by every log call. Before Plugin_Init it has no sinks.
spdlog::logger& Log();
// Builds the plug-in's logger over the host's sinks and puts it into the holder.
void CreateLogger();

}  // namespace txl
