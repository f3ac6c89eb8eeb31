#pragma once

#include <string>
#include <type_traits>

#include "emugame/GameFunction.h"
#include "emuhost/NameRegistry.h"

namespace emu {

// A hookable game function: its entry dispatches through a slot that starts at the
// game's own implementation. The host points the slot at detours; the game's own code
// calls the entry too, so detours see the game's calls. Slot, entry and detours all have the
// type the function is declared with to plug-ins, `Declared`.
template <auto Native, typename Declared>
struct Hookable;

template <typename R, typename... Args, R (*Native)(Args...), typename DR, typename... DArgs>
struct Hookable<Native, DR(DArgs...)> {
    static inline void* slot = reinterpret_cast<void*>(&GameFunction<Native, DR(DArgs...)>::Call);

    static DR Entry(DArgs... args) { return reinterpret_cast<DR (*)(DArgs...)>(slot)(args...); }

    // The game's own call, with its own records.
    static R Call(Args... args) {
        if constexpr (std::is_void_v<R>) {
            Entry(AsDeclared<DArgs>(args)...);
        } else {
            return AsDeclared<R>(Entry(AsDeclared<DArgs>(args)...));
        }
    }

    static void Publish(const std::string& name) {
        emuhost::NameRegistry::Instance().RegisterHookable(name, reinterpret_cast<void*>(&Entry),
                                                           &slot);
    }
};

}  // namespace emu
