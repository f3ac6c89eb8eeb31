#pragma once

#include <memory>

#include <spdlog/logger.h>

#include "ActorTable.h"
#include "emugame/Game.h"

namespace txl::devserver {

// Tells the administrator what the game itself did (crafts finished, crafting stopped, items
// removed) in log lines of the dev server's own logger, then forgets the game's journal so a
// long run does not grow it.
class GameEventLog {
  public:
    GameEventLog(emu::Game& game, std::shared_ptr<spdlog::logger> logger)
        : game_(game), logger_(std::move(logger)) {}

    void Report();

  private:
    std::string ItemAt(const void* address) const;

    emu::Game& game_;
    std::shared_ptr<spdlog::logger> logger_;
};

}  // namespace txl::devserver
