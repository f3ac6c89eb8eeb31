#pragma once

#include <stdexcept>
#include <string>

namespace emu {

// A failure of the game's own code (a call tests make fail). It passes through a detour back to
// the game as the game's own; once a plug-in has received it from a call it made by name, it is
// the plug-in's to handle, and it arrives as a plain runtime error.
class GameFailure : public std::runtime_error {
  public:
    explicit GameFailure(const std::string& message) : std::runtime_error(message) {}
};

// Runs a call made by name: a failure of the game inside it becomes the caller's.
template <typename Call>
decltype(auto) AsCallersFailure(Call call) {
    try {
        return call();
    } catch (const GameFailure& failure) {
        throw std::runtime_error(failure.what());
    }
}

}  // namespace emu
