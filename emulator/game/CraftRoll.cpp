#include "emugame/Game.h"

namespace emu {

void Game::SetCraftRolls(std::uint64_t seed, std::uint64_t rollsDone) {
    craftSeed_ = seed;
    craftRolls_ = rollsDone;
}

// SplitMix64: the n-th output is a function of seed + n alone, and the same on every platform.
double Game::NextCraftRoll() {
    ++craftRolls_;
    std::uint64_t z = craftSeed_ + craftRolls_ * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

}  // namespace emu
