#pragma once

#include <mutex>
#include <string>
#include <vector>

#include <spdlog/sinks/base_sink.h>

namespace txltest {

struct CapturedLine {
    std::string logger;
    std::string level;
    std::string message;
};

// Keeps every line logged through the host's sinks, for tests to read.
class CapturingSink : public spdlog::sinks::base_sink<std::mutex> {
  public:
    std::vector<CapturedLine> Lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    // Messages of one logger, optionally of one level ("info", "error", "critical").
    std::vector<std::string> Messages(const std::string& level = {},
                                      const std::string& logger = "Thalassovex Crafting Control");
    void Clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

  protected:
    void sink_it_(const spdlog::details::log_msg& msg) override;
    void flush_() override {}

  private:
    std::vector<CapturedLine> lines_;
};

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace txltest
