#pragma once

#include <stdexcept>
#include <type_traits>

#include "emugame/GameFailure.h"
#include "emuhost/NameRegistry.h"

namespace emu {

// The game's records are the engine's opaque classes as plug-ins see them: the same pointer,
// another type. Enums and integers convert by value.
template <typename To, typename From>
To AsDeclared(From value) {
    if constexpr (std::is_same_v<To, From>) {
        return value;
    } else if constexpr (std::is_pointer_v<To> && std::is_pointer_v<From>) {
        return reinterpret_cast<To>(const_cast<void*>(static_cast<const void*>(value)));
    } else {
        return static_cast<To>(value);
    }
}

// A game function under the type it is declared with to plug-ins, `Declared`, running the
// game's own implementation `Native`. Plug-ins call it through a pointer of exactly that type,
// so the call passes a function-type check.
template <auto Native, typename Declared>
struct GameFunction;

template <typename R, typename... Args, R (*Native)(Args...), typename DR, typename... DArgs>
struct GameFunction<Native, DR(DArgs...)> {
    static_assert(sizeof...(Args) == sizeof...(DArgs), "declared with another arity");

    // The game's own function, as a hook slot reaches it: a failure of the game passes through.
    static DR CallOwn(DArgs... args) {
        if constexpr (std::is_void_v<DR>) {
            Native(AsDeclared<Args>(args)...);
        } else {
            return AsDeclared<DR>(Native(AsDeclared<Args>(args)...));
        }
    }

    // The entry plug-ins resolve by name: a failure of the game becomes the caller's.
    static DR Call(DArgs... args) {
        return AsCallersFailure([&]() -> DR { return CallOwn(args...); });
    }

    // Stands in for Call while the host makes this function's calls fail.
    static DR Fail(DArgs... /*args*/) {
        emuhost::NameRegistry::Instance().ThrowFailedCall(reinterpret_cast<const void*>(&Fail));
    }
};

}  // namespace emu
