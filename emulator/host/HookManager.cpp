#include "emuhost/HookManager.h"

#include <algorithm>
#include <stdexcept>

#include "emuhost/HostLog.h"
#include "emuhost/NameRegistry.h"

namespace emuhost {

HookManager& HookManager::Instance() {
    static HookManager manager;
    return manager;
}

bool HookManager::InstallHook(const std::string& functionName, void* detour, void** original) {
    std::lock_guard lock(mutex_);
    void** slot = NameRegistry::Instance().HookSlot(functionName);
    if (slot == nullptr || detour == nullptr || original == nullptr) {
        HostLogError("Cannot hook '" + functionName + "': not a hookable function");
        return false;
    }
    if (failing_.contains(functionName)) {
        HostLogError("Cannot hook '" + functionName + "': install refused");
        return false;
    }
    *original = *slot;
    *slot = detour;
    hooks_[functionName].push_back({detour, original});
    installLog_.push_back(functionName);
    return true;
}

bool HookManager::RemoveHook(const std::string& functionName, void* detour) {
    std::lock_guard lock(mutex_);
    if (failingRemovals_.contains(functionName)) {
        HostLogError("Cannot unhook '" + functionName + "': removal refused");
        throw std::runtime_error("Hook removal failed for '" + functionName + "'");
    }
    auto found = hooks_.find(functionName);
    if (found == hooks_.end()) return false;
    auto& chain = found->second;
    auto it = std::find_if(chain.begin(), chain.end(),
                           [detour](const Installed& hook) { return hook.detour == detour; });
    if (it == chain.end()) return false;
    void** slot = NameRegistry::Instance().HookSlot(functionName);
    auto next = it + 1;
    if (next == chain.end()) {
        *slot = *it->original;
    } else {
        // A newer detour called this one; let it call what this one called.
        *next->original = *it->original;
    }
    chain.erase(it);
    if (chain.empty()) hooks_.erase(found);
    removeLog_.push_back(functionName);
    return true;
}

std::vector<void*> HookManager::Detours(const std::string& functionName) const {
    std::lock_guard lock(mutex_);
    std::vector<void*> detours;
    if (auto found = hooks_.find(functionName); found != hooks_.end()) {
        for (const auto& hook : found->second) detours.push_back(hook.detour);
    }
    return detours;
}

std::size_t HookManager::InstalledCount() const {
    std::lock_guard lock(mutex_);
    std::size_t count = 0;
    for (const auto& [name, chain] : hooks_) count += chain.size();
    return count;
}

std::vector<std::string> HookManager::InstallLog() const {
    std::lock_guard lock(mutex_);
    return installLog_;
}

std::vector<std::string> HookManager::RemoveLog() const {
    std::lock_guard lock(mutex_);
    return removeLog_;
}

void HookManager::FailInstall(const std::string& functionName) {
    std::lock_guard lock(mutex_);
    failing_.insert(functionName);
}

void HookManager::FailRemove(const std::string& functionName) {
    std::lock_guard lock(mutex_);
    failingRemovals_.insert(functionName);
}

void HookManager::ClearFaults() {
    std::lock_guard lock(mutex_);
    failing_.clear();
    failingRemovals_.clear();
}

void HookManager::Reset() {
    std::lock_guard lock(mutex_);
    for (auto& [name, chain] : hooks_) {
        if (!chain.empty()) *NameRegistry::Instance().HookSlot(name) = *chain.front().original;
    }
    hooks_.clear();
    failing_.clear();
    failingRemovals_.clear();
    installLog_.clear();
    removeLog_.clear();
}

}  // namespace emuhost

AsaApi::IHooks& AsaApi::GetHooks() {
    return emuhost::HookManager::Instance();
}
