#include "support/CapturingSink.h"

namespace txltest {

void CapturingSink::sink_it_(const spdlog::details::log_msg& msg) {
    auto level = spdlog::level::to_string_view(msg.level);
    lines_.push_back({std::string(msg.logger_name.data(), msg.logger_name.size()),
                      std::string(level.data(), level.size()),
                      std::string(msg.payload.data(), msg.payload.size())});
}

std::vector<std::string> CapturingSink::Messages(const std::string& level,
                                                 const std::string& logger) {
    std::vector<std::string> messages;
    for (const auto& line : Lines()) {
        if (line.logger == logger && (level.empty() || line.level == level))
            messages.push_back(line.message);
    }
    return messages;
}

}  // namespace txltest
