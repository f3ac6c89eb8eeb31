#include "emuhost/CommandRegistry.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "emuhost/HostLog.h"
#include "emuhost/Misuse.h"
#include "emuhost/WideText.h"

namespace emuhost {
namespace {

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

CommandRegistry& CommandRegistry::Instance() {
    static CommandRegistry registry;
    return registry;
}

void CommandRegistry::CheckFault(const std::string& operation, const std::string& name) const {
    const bool failing = std::any_of(failing_.begin(), failing_.end(), [&](const auto& fault) {
        return fault.first == operation && fault.second == name;
    });
    if (!failing) return;
    std::string message = "Registry refused " + operation + " for '" + name + "'";
    HostLogError(message);
    throw std::runtime_error(message);
}

void CommandRegistry::AddRconCommand(const FString& command, const AsaApi::RconCallback& callback) {
    std::lock_guard lock(mutex_);
    std::string name = ToUtf8(command);
    CheckFault("AddRconCommand", name);
    commands_[LowerCase(name)].push_back(callback);
    commandNames_[LowerCase(name)] = name;
}

void CommandRegistry::AddOnTimerCallback(const FString& id, const AsaApi::TimerCallback& callback) {
    std::lock_guard lock(mutex_);
    std::string name = ToUtf8(id);
    CheckFault("AddOnTimerCallback", name);
    timers_.emplace_back(name, callback);
}

bool CommandRegistry::RemoveRconCommand(const FString& command) {
    std::lock_guard lock(mutex_);
    std::string name = ToUtf8(command);
    CheckFault("RemoveRconCommand", name);
    auto found = commands_.find(LowerCase(name));
    if (found == commands_.end()) return false;
    found->second.pop_back();
    if (found->second.empty()) {
        commands_.erase(found);
        commandNames_.erase(LowerCase(name));
    }
    return true;
}

bool CommandRegistry::RemoveOnTimerCallback(const FString& id) {
    std::lock_guard lock(mutex_);
    std::string name = ToUtf8(id);
    CheckFault("RemoveOnTimerCallback", name);
    auto it = std::find_if(timers_.rbegin(), timers_.rend(),
                           [&](const auto& timer) { return timer.first == name; });
    if (it == timers_.rend()) return false;
    timers_.erase(std::next(it).base());
    return true;
}

bool CommandRegistry::RunRconCommand(const std::string& text, RCONClientConnection* connection,
                                     RCONPacket* packet, UWorld* world) {
    AsaApi::RconCallback callback;
    {
        std::lock_guard lock(mutex_);
        std::string name = text.substr(0, text.find(' '));
        auto found = commands_.find(LowerCase(name));
        if (found == commands_.end()) return false;
        callback = found->second.back();  // a copy, so the command may unregister itself
    }
    try {
        callback(connection, packet, world);
    } catch (const std::exception& error) {
        AbortOnMisuse("an exception from the plug-in's command '" + text +
                      "' reached the host: " + error.what());
    }
    return true;
}

bool CommandRegistry::HasRconCommand(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return commands_.contains(LowerCase(name));
}

std::vector<std::string> CommandRegistry::RconCommandNames() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& [key, name] : commandNames_) names.push_back(name);
    return names;
}

std::vector<std::string> CommandRegistry::TimerNames() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& [name, callback] : timers_) names.push_back(name);
    return names;
}

void CommandRegistry::FireTimers() {
    std::vector<AsaApi::TimerCallback> callbacks;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [name, callback] : timers_) callbacks.push_back(callback);
    }
    for (auto& callback : callbacks) {
        try {
            callback();
        } catch (const std::exception& error) {
            AbortOnMisuse(std::string("an exception from a plug-in's timer reached the host: ") +
                          error.what());
        }
    }
}

void CommandRegistry::FailOperation(const std::string& operation, const std::string& name) {
    std::lock_guard lock(mutex_);
    failing_.emplace_back(operation, name);
}

void CommandRegistry::ClearFaults() {
    std::lock_guard lock(mutex_);
    failing_.clear();
}

void CommandRegistry::Reset() {
    std::lock_guard lock(mutex_);
    commands_.clear();
    commandNames_.clear();
    timers_.clear();
    failing_.clear();
}

}  // namespace emuhost

AsaApi::ICommands& AsaApi::GetCommands() {
    return emuhost::CommandRegistry::Instance();
}
