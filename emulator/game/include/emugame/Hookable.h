#pragma once

#include <string>

#include "emuhost/NameRegistry.h"

namespace emu {

// A hookable game function: its entry dispatches through a slot that starts at the
// game's own implementation. The host points the slot at detours; the game's own code
// calls the entry too, so detours see the game's calls.
template <auto Native>
struct Hookable;

template <typename R, typename... Args, R (*Native)(Args...)>
struct Hookable<Native> {
    static inline void* slot = reinterpret_cast<void*>(Native);

    static R Entry(Args... args) { return reinterpret_cast<R (*)(Args...)>(slot)(args...); }

    static void Publish(const std::string& name) {
        emuhost::NameRegistry::Instance().RegisterHookable(name, reinterpret_cast<void*>(&Entry),
                                                           &slot);
    }
};

}  // namespace emu
