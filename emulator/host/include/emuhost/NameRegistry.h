#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

#include "emuhost/Export.h"

namespace emuhost {

struct BitFieldLocation {
    std::ptrdiff_t offset = 0;
    std::uint32_t bit = 0;
    std::uint32_t count = 1;
};

// Names the game publishes to plug-ins: function entries, field offsets and packed flags.
// A hookable function is published with its entry and the slot that entry dispatches through.
class EMUHOST_API NameRegistry {
  public:
    static NameRegistry& Instance();

    void RegisterFunction(const std::string& name, void* entry);
    void RegisterHookable(const std::string& name, void* entry, void** slot);
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
    void ClearFaults();

  private:
    [[noreturn]] void FailLoudly(const std::string& kind, const std::string& name) const;
    void CheckFault(const std::string& name) const;

    mutable std::mutex mutex_;
    std::unordered_map<std::string, void*> functions_;
    std::unordered_map<std::string, void**> slots_;
    std::unordered_map<std::string, std::ptrdiff_t> fields_;
    std::unordered_map<std::string, BitFieldLocation> bitFields_;
    std::unordered_map<std::string, bool> failing_;
};

}  // namespace emuhost
