#pragma once

#include <functional>
#include <string>

#include "emugame/ObjectModel.h"

namespace emu {

struct WorldObject {  // UWorld
    ObjectBase Object;
    double TimeSeconds;
};

// An RCON client's connection; replies are journaled and handed to `deliver` when set.
struct RconConnection {  // RCONClientConnection
    ObjectBase Object;
    std::function<void(int32 id, int32 type, const std::string& text)>* deliver;
};

}  // namespace emu
