#include "ActorTable.h"

namespace txl::devserver {

int ActorTable::Add(emu::Actor* actor) {
    actors_.push_back(game_.MakeWeak(&actor->Object));
    return static_cast<int>(actors_.size());
}

void ActorTable::AddAt(int id, emu::Actor* actor) {
    actors_.resize(static_cast<std::size_t>(id - 1));
    actors_.push_back(game_.MakeWeak(&actor->Object));
}

emu::Actor* ActorTable::Find(int id) const {
    if (id < 1 || static_cast<std::size_t>(id) > actors_.size()) return nullptr;
    return reinterpret_cast<emu::Actor*>(
        game_.ResolveWeak(actors_[static_cast<std::size_t>(id - 1)]));
}

int ActorTable::IdOf(const void* object) const {
    if (object == nullptr) return 0;
    for (std::size_t i = 0; i < actors_.size(); ++i) {
        if (game_.ResolveWeak(actors_[i]) == object) return static_cast<int>(i + 1);
    }
    return 0;
}

std::vector<int> ActorTable::LiveIds() const {
    std::vector<int> ids;
    for (std::size_t i = 0; i < actors_.size(); ++i) {
        if (game_.ResolveWeak(actors_[i]) != nullptr) ids.push_back(static_cast<int>(i + 1));
    }
    return ids;
}

}  // namespace txl::devserver
