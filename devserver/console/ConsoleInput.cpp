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

void Deliver(ConsoleInput::Lines& lines, std::string line) {
    std::lock_guard lock(lines.mutex);
    lines.waiting.push_back(std::move(line));
    lines.arrived.notify_all();
}

void End(ConsoleInput::Lines& lines) {
    std::lock_guard lock(lines.mutex);
    lines.ended = true;
    lines.arrived.notify_all();
}

void ReadLines(const std::shared_ptr<ConsoleInput::Lines>& lines) {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Deliver(*lines, std::move(line));
    }
    End(*lines);
}

}  // namespace

ConsoleInput::ConsoleInput(const LineEditorSettings& editing)
    : lines_(std::make_shared<Lines>()), editor_(LineEditor::Open(editing)) {
    if (!editor_) {
        std::thread([lines = lines_] { ReadLines(lines); }).detach();
        return;
    }
    editorReader_ = std::thread([lines = lines_, editor = editor_] {
        while (auto line = editor->ReadLine()) Deliver(*lines, std::move(*line));
        End(*lines);
    });
}

ConsoleInput::~ConsoleInput() {
    if (!editor_) return;
    editor_->Stop();
    editorReader_.join();
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
