#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "emuhost/Export.h"

namespace emuhost {

struct BitFieldLocation {
    std::ptrdiff_t offset = 0;
    std::uint32_t bit = 0;
    std::uint32_t count = 1;
};

// Names the game publishes to plug-ins: function entries, field offsets and packed flags.
// A hookable function is published with its entry and the slot that entry dispatches through.
//
// Read-mostly, as a real host's table: the game publishes its names at start-up, before any
// plug-in code runs, and resolving then takes no lock and hashes the name once. Publishing (and
// fault injection by tests) must not overlap with resolution.
class EMUHOST_API NameRegistry {
  public:
    static NameRegistry& Instance();

    // `failing` is an entry of the same type that throws, handed out while the function's calls
    // are made to fail; a null one keeps what was published before.
    void RegisterFunction(const std::string& name, void* entry, void* failing = nullptr);
    void RegisterHookable(const std::string& name, void* entry, void** slot, void* failing);
    void RegisterField(const std::string& name, std::ptrdiff_t offset);
    void RegisterBitField(const std::string& name, BitFieldLocation location);

    // Each throws std::runtime_error naming the name when it does not resolve.
    void* FunctionEntry(const std::string& name) const;
    std::ptrdiff_t FieldOffset(const std::string& name) const;
    BitFieldLocation BitField(const std::string& name) const;
    // Null when the name is not a hookable function.
    void** HookSlot(const std::string& name) const;

    // Makes resolution of one name throw, as a failing host call would.
    void FailResolution(const std::string& name);
    // Makes every call of one function made through its resolved entry throw, from inside the
    // game's function; the game's own calls are not affected.
    void FailCalls(const std::string& name);
    void ClearFaults();

    // Thrown by a failing entry (see RegisterFunction), naming the function it stands for.
    [[noreturn]] void ThrowFailedCall(const void* failing) const;

  private:
    // Everything known under one name; a name may be published as several kinds.
    struct Entry {
        void* function = nullptr;
        void* failingFunction = nullptr;
        void** slot = nullptr;
        std::ptrdiff_t offset = 0;
        BitFieldLocation bitField;
        bool isFunction = false;
        bool isField = false;
        bool isBitField = false;
        bool failing = false;
        bool callsFail = false;
    };

    // One place of the look-up table: open addressing over a power-of-two size, so a look-up is
    // one hash, a mask and (almost always) one comparison.
    struct Slot {
        std::size_t hash = 0;
        const std::string* name = nullptr;
        Entry* entry = nullptr;
    };

    [[noreturn]] void FailLoudly(const std::string& kind, const std::string& name) const;
    [[noreturn]] void FailCall(const std::string& name) const;
    Entry& Publish(const std::string& name);
    // The entry of `name`, or null.
    const Entry* Find(const std::string& name) const;

    std::mutex writeMutex_;
    std::unordered_map<std::string, Entry> entries_;  // owns the names and entries
    std::vector<Slot> table_;
};

}  // namespace emuhost
