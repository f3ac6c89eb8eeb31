#include "emuhost/NameRegistry.h"

#include <stdexcept>

#include "AsaApi/Address.h"
#include "emuhost/HostLog.h"
#include "emuhost/Misuse.h"

namespace emuhost {

NameRegistry& NameRegistry::Instance() {
    static NameRegistry registry;
    return registry;
}

void NameRegistry::RegisterFunction(const std::string& name, void* entry, void* failing) {
    std::lock_guard lock(writeMutex_);
    Entry& found = Publish(name);
    found.function = entry;
    if (failing != nullptr) found.failingFunction = failing;
    found.isFunction = true;
}

void NameRegistry::RegisterHookable(const std::string& name, void* entry, void** slot,
                                    void* failing) {
    std::lock_guard lock(writeMutex_);
    Entry& found = Publish(name);
    found.function = entry;
    found.failingFunction = failing;
    found.slot = slot;
    found.isFunction = true;
}

void NameRegistry::RegisterField(const std::string& name, std::ptrdiff_t offset) {
    std::lock_guard lock(writeMutex_);
    Entry& found = Publish(name);
    found.offset = offset;
    found.isField = true;
}

void NameRegistry::RegisterBitField(const std::string& name, BitFieldLocation location) {
    std::lock_guard lock(writeMutex_);
    Entry& found = Publish(name);
    found.bitField = location;
    found.isBitField = true;
}

void NameRegistry::FailLoudly(const std::string& kind, const std::string& name) const {
    std::string message = "Host cannot resolve " + kind + " '" + name + "'";
    HostLogError(message);
    throw std::runtime_error(message);
}

void NameRegistry::FailCall(const std::string& name) const {
    std::string message = "Host call failed for '" + name + "'";
    HostLogError(message);
    throw std::runtime_error(message);
}

NameRegistry::Entry& NameRegistry::Publish(const std::string& name) {
    auto [found, added] = entries_.try_emplace(name);
    if (!added) return found->second;
    // Rebuilt whole at each new name: names are published once, at start-up, and the table
    // stays at most half full.
    std::size_t size = 64;
    while (size < entries_.size() * 2) size *= 2;
    std::vector<Slot> table(size);
    for (auto& [text, entry] : entries_) {
        const std::size_t hash = std::hash<std::string>{}(text);
        std::size_t at = hash & (size - 1);
        while (table[at].name != nullptr) at = (at + 1) & (size - 1);
        table[at] = Slot{hash, &text, &entry};
    }
    table_.swap(table);
    return found->second;
}

const NameRegistry::Entry* NameRegistry::Find(const std::string& name) const {
    if (table_.empty()) return nullptr;
    const std::size_t hash = std::hash<std::string>{}(name);
    const std::size_t mask = table_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = table_[at];
        if (slot.name == nullptr) return nullptr;
        if (slot.hash == hash && *slot.name == name) return slot.entry;
    }
}

void* NameRegistry::FunctionEntry(const std::string& name) const {
    const Entry* entry = Find(name);
    if (entry != nullptr && entry->failing) FailCall(name);
    if (entry == nullptr || !entry->isFunction) FailLoudly("function", name);
    return entry->callsFail ? entry->failingFunction : entry->function;
}

std::ptrdiff_t NameRegistry::FieldOffset(const std::string& name) const {
    const Entry* entry = Find(name);
    if (entry != nullptr && entry->failing) FailCall(name);
    if (entry == nullptr || !entry->isField) FailLoudly("field", name);
    return entry->offset;
}

BitFieldLocation NameRegistry::BitField(const std::string& name) const {
    const Entry* entry = Find(name);
    if (entry != nullptr && entry->failing) FailCall(name);
    if (entry == nullptr || !entry->isBitField) FailLoudly("bit-field", name);
    return entry->bitField;
}

void** NameRegistry::HookSlot(const std::string& name) const {
    const Entry* entry = Find(name);
    return entry == nullptr ? nullptr : entry->slot;
}

void NameRegistry::FailResolution(const std::string& name) {
    std::lock_guard lock(writeMutex_);
    Publish(name).failing = true;
}

void NameRegistry::FailCalls(const std::string& name) {
    std::lock_guard lock(writeMutex_);
    const auto found = entries_.find(name);
    if (found == entries_.end() || found->second.failingFunction == nullptr)
        AbortOnMisuse("no failing entry is published for '" + name + "'");
    found->second.callsFail = true;
}

void NameRegistry::ClearFaults() {
    std::lock_guard lock(writeMutex_);
    for (auto& [name, entry] : entries_) {
        entry.failing = false;
        entry.callsFail = false;
    }
}

void NameRegistry::ThrowFailedCall(const void* failing) const {
    std::string name = "an unnamed function";
    for (const auto& [text, entry] : entries_) {
        if (entry.callsFail && entry.failingFunction == failing) name = "'" + text + "'";
    }
    std::string message = "Game call failed in " + name;
    HostLogError(message);
    throw std::runtime_error(message);
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
