#include "emugame/Game.h"
#include "emugame/GameCalls.h"

// Level-ups of a creature's statuses.
namespace emu {

void Game::SetLevelUpGain(Class* cls, int status, float amount) {
    levelUpGains_[cls][status] = amount;
}

float Game::LevelUpGain(const Class* cls, int status) const {
    for (const Struct* s = cls != nullptr ? &cls->Base : nullptr; s != nullptr;
         s = s->SuperStruct) {
        auto found = levelUpGains_.find(reinterpret_cast<const Class*>(s));
        if (found == levelUpGains_.end()) continue;
        if (auto gain = found->second.find(status); gain != found->second.end())
            return gain->second;
    }
    return kDefaultLevelUpGain;
}

Game::LevelUpResult Game::LevelUp(Character* creature, int status) {
    LevelUpResult result;
    StatusComponent* component = creature->MyCharacterStatusComponent;
    if (component == nullptr || status < 0 || status >= kStatusCount) return result;
    result.maxBefore = calls::BPGetMaxStatusValue(component, status);
    result.maxAfter = result.maxBefore;
    if (!calls::CanLevelUp(component, status, false)) return result;
    --component->LevelUpPointsAvailable;
    ++component->NumberOfLevelUpPointsApplied[status];
    float& max = component->MaxStatusValues[status];
    max += LevelUpGain(creature->Base.Object.ClassPrivate, status);
    component->ReplicatedGlobalMaxStatusValues[status] = max;
    calls::ServerSyncReplicatedValues(component);
    calls::ForceNetUpdate(&creature->Base, false, true, false);
    result.applied = true;
    result.maxAfter = calls::BPGetMaxStatusValue(component, status);
    return result;
}

}  // namespace emu
