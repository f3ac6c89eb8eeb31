#pragma once

#include <functional>

#include "AsaApi/EngineTypes.h"
#include "AsaApi/Export.h"

namespace AsaApi {

using RconCallback = std::function<void(RCONClientConnection*, RCONPacket*, UWorld*)>;
using TimerCallback = std::function<void()>;

// Registry of RCON commands and periodic callbacks; the host keeps copies of the callbacks.
class ICommands {
  public:
    virtual ~ICommands() = default;
    virtual void AddRconCommand(const FString& command, const RconCallback& callback) = 0;
    virtual void AddOnTimerCallback(const FString& id, const TimerCallback& callback) = 0;
    virtual bool RemoveRconCommand(const FString& command) = 0;
    virtual bool RemoveOnTimerCallback(const FString& id) = 0;
};

ASAAPI_API ICommands& GetCommands();

}  // namespace AsaApi
