#include "plugin/Logger.h"

#include <mutex>

#include "AsaApi/Logging.h"

namespace txl {
namespace {

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
}

}  // namespace txl
