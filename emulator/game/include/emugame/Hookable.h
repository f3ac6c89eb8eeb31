#pragma once

#include <exception>
#include <string>
#include <type_traits>

#include "emugame/GameFailure.h"
#include "emugame/GameFunction.h"
#include "emuhost/Misuse.h"
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
    static inline void* slot =
        reinterpret_cast<void*>(&GameFunction<Native, DR(DArgs...)>::CallOwn);

    static DR Entry(DArgs... args) { return reinterpret_cast<DR (*)(DArgs...)>(slot)(args...); }

    // The entry plug-ins resolve by name: a failure of the game becomes the caller's.
    static DR ByName(DArgs... args) {
        return AsCallersFailure([&]() -> DR { return Entry(args...); });
    }

    // The game's own call, with its own records. Only the game's own failures come back through
    // a detour: anything else a detour lets out ends the process, as it would end the server.
    static R Call(Args... args) {
        try {
            if constexpr (std::is_void_v<R>) {
                Entry(AsDeclared<DArgs>(args)...);
            } else {
                return AsDeclared<R>(Entry(AsDeclared<DArgs>(args)...));
            }
        } catch (const GameFailure&) {
            throw;
        } catch (const std::exception& error) {
            emuhost::AbortOnMisuse("an exception reached the game's call of " + name + ": " +
                                   error.what());
        } catch (...) {
            emuhost::AbortOnMisuse("an exception reached the game's call of " + name);
        }
    }

    static void Publish(const std::string& published) {
        name = published;
        emuhost::NameRegistry::Instance().RegisterHookable(
            name, reinterpret_cast<void*>(&ByName), &slot,
            reinterpret_cast<void*>(&GameFunction<Native, DR(DArgs...)>::Fail));
    }

  private:
    static inline std::string name;
};

}  // namespace emu
