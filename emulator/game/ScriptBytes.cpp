#include "emugame/ScriptBytes.h"

#include <cstdint>
#include <cstring>

#include "emugame/Allocator.h"

namespace emu {
namespace {

// Both targets of the game are little-endian, so an address's own bytes are its script bytes.
std::vector<uint8> AddressBytes(const void* object) {
    auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object));
    std::vector<uint8> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

}  // namespace

ScriptBytes& ScriptBytes::Bytes(std::initializer_list<uint8> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

ScriptBytes& ScriptBytes::Address(const void* object) {
    return PartialAddress(object, 8);
}

ScriptBytes& ScriptBytes::PartialAddress(const void* object, std::size_t count) {
    auto bytes = AddressBytes(object);
    bytes_.insert(bytes_.end(), bytes.begin(),
                  bytes.begin() + static_cast<std::ptrdiff_t>(count < 8 ? count : 8));
    return *this;
}

void SetScript(Function* function, const std::vector<uint8>& script) {
    TArray<uint8>& target = function->Base.Script;
    ArrayRelease(target);
    if (script.empty()) return;
    ArrayReserve(target, static_cast<int32>(script.size()));
    for (uint8 byte : script) ArrayAppend(target, byte);
}

Class* FunctionKind(Game& game, const std::string& name) {
    if (Class* existing = game.FindClass(name)) return existing;
    return game.DefineClass(name, game.FindClass(kFunctionClassName),
                            static_cast<int32>(sizeof(Function)));
}

}  // namespace emu
