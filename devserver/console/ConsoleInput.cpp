#include "ConsoleInput.h"

#include <condition_variable>
#include <deque>
#include <iostream>
#include <mutex>
#include <thread>

namespace txl::devserver {

struct ConsoleInput::Lines {
    mutable std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::string> waiting;
    bool ended = false;
};

namespace {

void ReadLines(const std::shared_ptr<ConsoleInput::Lines>& lines) {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::lock_guard lock(lines->mutex);
        lines->waiting.push_back(std::move(line));
        lines->arrived.notify_all();
    }
    std::lock_guard lock(lines->mutex);
    lines->ended = true;
    lines->arrived.notify_all();
}

}  // namespace

ConsoleInput::ConsoleInput() : lines_(std::make_shared<Lines>()) {
    std::thread([lines = lines_] { ReadLines(lines); }).detach();
}

std::optional<std::string> ConsoleInput::NextLine(std::chrono::milliseconds timeout) {
    std::unique_lock lock(lines_->mutex);
    lines_->arrived.wait_for(lock, timeout,
                             [this] { return !lines_->waiting.empty() || lines_->ended; });
    if (lines_->waiting.empty()) return std::nullopt;
    std::string line = std::move(lines_->waiting.front());
    lines_->waiting.pop_front();
    return line;
}

bool ConsoleInput::Ended() const {
    std::lock_guard lock(lines_->mutex);
    return lines_->ended && lines_->waiting.empty();
}

}  // namespace txl::devserver
