#include "shared/Logger.h"

#include <mutex>

#include "AsaApi/Logging.h"
#include "host/EngineText.h"

namespace txl {
namespace {

// A buffer release that fails where it may not raise (a destructor during unwinding) is logged.
void LogReleaseFailure(const std::exception& error) noexcept {
    try {
        Log().error("Thalassovex buffer release failed: {}", error.what());
    } catch (...) {
        // Nothing is left to report it through.
    }
}

std::shared_ptr<spdlog::logger>& Holder() {
    static std::shared_ptr<spdlog::logger> holder =
        std::make_shared<spdlog::logger>("Thalassovex Crafting Control");
    return holder;
}

}  // namespace

spdlog::logger& Log() {
    return *Holder();
}

void CreateLogger() {
    auto& sinks = GetLogSinks();
    auto logger = std::make_shared<spdlog::logger>("Thalassovex Crafting Control", sinks.begin(),
                                                   sinks.end());
    // Each sink builds its own formatter: the sinks are the host's and outlive this library, so
    // a formatter made here would leave our code in them after unload. Local time is the
    // default of a pattern set this way.
    for (const auto& sink : logger->sinks()) sink->set_pattern("%D %R [%n][%l] %v");
    logger->flush_on(spdlog::level::info);
    logger->set_level(spdlog::level::info);
    Holder() = std::move(logger);
    host::SetReleaseFailureReport(&LogReleaseFailure);
}

}  // namespace txl
