#include "shared/Logger.h"

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
    logger->set_pattern("%D %R [%n][%l] %v", spdlog::pattern_time_type::local);
    logger->flush_on(spdlog::level::info);
    logger->set_level(spdlog::level::info);
    Holder() = std::move(logger);
}

}  // namespace txl
