#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <spdlog/sinks/sink.h>

#include "emuhost/Export.h"

namespace emuhost {

// Replaces the host's sinks: standard error (when `console`) and, when a path is given, a log file.
EMUHOST_API void ConfigureLogSinks(bool console, const std::filesystem::path& logFile);
EMUHOST_API void AddLogSink(std::shared_ptr<spdlog::sinks::sink> sink);
EMUHOST_API void RemoveLogSink(const std::shared_ptr<spdlog::sinks::sink>& sink);

// The host's own lines (unresolved names, failed hooks) go through the same sinks.
EMUHOST_API void HostLogError(const std::string& message);
EMUHOST_API void HostLogInfo(const std::string& message);

// Makes the next request for the sink list throw, as a host that cannot log would.
EMUHOST_API void FailNextSinkRequest();

}  // namespace emuhost
