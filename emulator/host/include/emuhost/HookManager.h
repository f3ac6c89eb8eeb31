#pragma once

#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "AsaApi/Hooks.h"
#include "emuhost/Export.h"

namespace emuhost {

// Points a hookable function's slot at detours, newest first; each detour's
// `original` holds what the slot held before it, so hooks of several plug-ins chain.
class EMUHOST_API HookManager : public AsaApi::IHooks {
  public:
    static HookManager& Instance();

    bool RemoveHook(const std::string& functionName, void* detour) override;
    bool InstallHook(const std::string& functionName, void* detour, void** original) override;

    // The detours installed on a function, oldest first.
    std::vector<void*> Detours(const std::string& functionName) const;
    std::size_t InstalledCount() const;
    // Names in the order of their successful installs and removals, for tests.
    std::vector<std::string> InstallLog() const;
    std::vector<std::string> RemoveLog() const;

    void FailInstall(const std::string& functionName);
    // The next removals of this function throw, as a host that cannot restore it might.
    void FailRemove(const std::string& functionName);
    void ClearFaults();
    // Restores every slot and forgets every hook.
    void Reset();

  private:
    struct Installed {
        void* detour;
        void** original;
    };

    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::vector<Installed>> hooks_;
    std::set<std::string> failing_;
    std::set<std::string> failingRemovals_;
    std::vector<std::string> installLog_;
    std::vector<std::string> removeLog_;
};

}  // namespace emuhost
