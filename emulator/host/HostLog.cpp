#include "emuhost/HostLog.h"

#include <spdlog/logger.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_sinks.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "AsaApi/Logging.h"
#include "emuhost/HostLibrary.h"

namespace emuhost {
namespace {

std::vector<std::shared_ptr<spdlog::sinks::sink>>& Sinks() {
    // Until configured, the host logs to standard error and to logs/AsaApi.log beside itself.
    static std::vector<std::shared_ptr<spdlog::sinks::sink>> sinks = [] {
        std::vector<std::shared_ptr<spdlog::sinks::sink>> initial{
            std::make_shared<spdlog::sinks::stderr_sink_mt>()};
        try {
            auto file = HostLibraryFolder() / "logs" / "AsaApi.log";
            std::filesystem::create_directories(file.parent_path());
            initial.push_back(std::make_shared<spdlog::sinks::basic_file_sink_mt>(file.string()));
        } catch (const std::exception&) {
            // A read-only installation still logs to standard error.
        }
        return initial;
    }();
    return sinks;
}

void Log(spdlog::level::level_enum level, const std::string& message) {
    spdlog::logger logger("AsaApi", Sinks().begin(), Sinks().end());
    logger.set_pattern("%D %R [%n][%l] %v");
    logger.log(level, message);
    logger.flush();
}

}  // namespace

void ConfigureLogSinks(bool console, const std::filesystem::path& logFile) {
    auto& sinks = Sinks();
    sinks.clear();
    if (console) sinks.push_back(std::make_shared<spdlog::sinks::stderr_sink_mt>());
    if (!logFile.empty()) {
        std::filesystem::create_directories(logFile.parent_path());
        sinks.push_back(std::make_shared<spdlog::sinks::basic_file_sink_mt>(logFile.string()));
    }
}

void AddLogSink(std::shared_ptr<spdlog::sinks::sink> sink) {
    Sinks().push_back(std::move(sink));
}

void RemoveLogSink(const std::shared_ptr<spdlog::sinks::sink>& sink) {
    auto& sinks = Sinks();
    sinks.erase(std::remove(sinks.begin(), sinks.end(), sink), sinks.end());
}

namespace {
bool failNextSinkRequest = false;
}  // namespace

void FailNextSinkRequest() {
    failNextSinkRequest = true;
}

void HostLogError(const std::string& message) {
    Log(spdlog::level::err, message);
}
void HostLogInfo(const std::string& message) {
    Log(spdlog::level::info, message);
}

}  // namespace emuhost

std::vector<std::shared_ptr<spdlog::sinks::sink>>& GetLogSinks() {
    if (std::exchange(emuhost::failNextSinkRequest, false))
        throw std::runtime_error("Host log sinks unavailable");
    return emuhost::Sinks();
}
