#pragma once

#include <cstddef>
#include <vector>

#include "emugame/Game.h"

namespace txl::devserver {

// The numbers administrators use for actors: 1, 2, 3... in order of appearance. Actors are held
// by weak reference, so a destroyed one no longer resolves.
class ActorTable {
  public:
    explicit ActorTable(emu::Game& game) : game_(game) {}

    int Add(emu::Actor* actor);
    // Under a given id above every id given out so far; the ids between stay unused.
    void AddAt(int id, emu::Actor* actor);
    // Null when the id was never given out or its actor is gone.
    emu::Actor* Find(int id) const;
    // 0 when the object is not a live actor of this table.
    int IdOf(const void* object) const;
    // Ids of the live actors, ascending.
    std::vector<int> LiveIds() const;

  private:
    emu::Game& game_;
    std::vector<FWeakObjectPtr> actors_;  // id - 1 -> actor
};

}  // namespace txl::devserver
