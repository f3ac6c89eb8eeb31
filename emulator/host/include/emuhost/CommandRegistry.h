#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "AsaApi/Commands.h"
#include "emuhost/Export.h"

namespace emuhost {

// RCON commands and timer callbacks of the loaded plug-ins.
class EMUHOST_API CommandRegistry : public AsaApi::ICommands {
  public:
    static CommandRegistry& Instance();

    void AddRconCommand(const FString& command, const AsaApi::RconCallback& callback) override;
    void AddOnTimerCallback(const FString& id, const AsaApi::TimerCallback& callback) override;
    bool RemoveRconCommand(const FString& command) override;
    bool RemoveOnTimerCallback(const FString& id) override;

    // Runs the command named as the first word of `text` (case-insensitive, as RCON
    // consoles match). False when no such command is registered.
    bool RunRconCommand(const std::string& text, RCONClientConnection* connection,
                        RCONPacket* packet, UWorld* world);
    bool HasRconCommand(const std::string& name) const;
    std::vector<std::string> RconCommandNames() const;
    std::vector<std::string> TimerNames() const;
    void FireTimers();

    // Makes one operation ("AddRconCommand", "AddOnTimerCallback", "RemoveRconCommand",
    // "RemoveOnTimerCallback") throw for one name.
    void FailOperation(const std::string& operation, const std::string& name);
    void ClearFaults();
    void Reset();

  private:
    void CheckFault(const std::string& operation, const std::string& name) const;

    mutable std::recursive_mutex mutex_;
    // Keyed by lower-case name. A name added twice (two plug-ins) answers with the newest
    // callback, and a removal takes the newest away, so each plug-in removes its own.
    std::map<std::string, std::vector<AsaApi::RconCallback>> commands_;
    std::map<std::string, std::string> commandNames_;
    std::vector<std::pair<std::string, AsaApi::TimerCallback>> timers_;
    std::vector<std::pair<std::string, std::string>> failing_;
};

}  // namespace emuhost
