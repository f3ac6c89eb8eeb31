#include "emuhost/NameRegistry.h"

#include <stdexcept>

#include "AsaApi/Address.h"
#include "emuhost/HostLog.h"

namespace emuhost {

NameRegistry& NameRegistry::Instance() {
    static NameRegistry registry;
    return registry;
}

void NameRegistry::RegisterFunction(const std::string& name, void* entry) {
    std::lock_guard lock(mutex_);
    functions_[name] = entry;
}

void NameRegistry::RegisterHookable(const std::string& name, void* entry, void** slot) {
    std::lock_guard lock(mutex_);
    functions_[name] = entry;
    slots_[name] = slot;
}

void NameRegistry::RegisterField(const std::string& name, std::ptrdiff_t offset) {
    std::lock_guard lock(mutex_);
    fields_[name] = offset;
}

void NameRegistry::RegisterBitField(const std::string& name, BitFieldLocation location) {
    std::lock_guard lock(mutex_);
    bitFields_[name] = location;
}

void NameRegistry::FailLoudly(const std::string& kind, const std::string& name) const {
    std::string message = "Host cannot resolve " + kind + " '" + name + "'";
    HostLogError(message);
    throw std::runtime_error(message);
}

void NameRegistry::CheckFault(const std::string& name) const {
    if (failing_.contains(name)) {
        std::string message = "Host call failed for '" + name + "'";
        HostLogError(message);
        throw std::runtime_error(message);
    }
}

void* NameRegistry::FunctionEntry(const std::string& name) const {
    std::lock_guard lock(mutex_);
    CheckFault(name);
    auto found = functions_.find(name);
    if (found == functions_.end()) FailLoudly("function", name);
    return found->second;
}

std::ptrdiff_t NameRegistry::FieldOffset(const std::string& name) const {
    std::lock_guard lock(mutex_);
    CheckFault(name);
    auto found = fields_.find(name);
    if (found == fields_.end()) FailLoudly("field", name);
    return found->second;
}

BitFieldLocation NameRegistry::BitField(const std::string& name) const {
    std::lock_guard lock(mutex_);
    CheckFault(name);
    auto found = bitFields_.find(name);
    if (found == bitFields_.end()) FailLoudly("bit-field", name);
    return found->second;
}

void** NameRegistry::HookSlot(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto found = slots_.find(name);
    return found == slots_.end() ? nullptr : found->second;
}

void NameRegistry::FailResolution(const std::string& name) {
    std::lock_guard lock(mutex_);
    failing_[name] = true;
}

void NameRegistry::ClearFaults() {
    std::lock_guard lock(mutex_);
    failing_.clear();
}

}  // namespace emuhost

void* GetAddress(const std::string& name) {
    return emuhost::NameRegistry::Instance().FunctionEntry(name);
}

unsigned long long GetAddress(const void* base, const std::string& name) {
    auto offset = emuhost::NameRegistry::Instance().FieldOffset(name);
    return reinterpret_cast<unsigned long long>(static_cast<const char*>(base) + offset);
}

BitField GetBitField(void* base, const std::string& name) {
    auto location = emuhost::NameRegistry::Instance().BitField(name);
    return BitField{reinterpret_cast<uint64>(static_cast<char*>(base) + location.offset),
                    location.bit, location.count};
}
