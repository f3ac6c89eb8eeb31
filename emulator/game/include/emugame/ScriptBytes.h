#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "emugame/Game.h"

namespace emu {

// Compiled script as the engine stores it: opcodes with the addresses of reflected objects
// written in place, eight little-endian bytes each, wherever the opcode stream puts them.
class ScriptBytes {
  public:
    ScriptBytes& Bytes(std::initializer_list<uint8> bytes);
    ScriptBytes& Address(const void* object);
    // Only the first `count` bytes of an address, as a script cut short would hold them.
    ScriptBytes& PartialAddress(const void* object, std::size_t count);
    std::size_t Size() const { return bytes_.size(); }
    const std::vector<uint8>& Get() const { return bytes_; }

  private:
    std::vector<uint8> bytes_;
};

// Replaces a function's compiled script.
void SetScript(Function* function, const std::vector<uint8>& script);

// The class of one kind of child field: a kind derived from "Function" ("DelegateFunction"),
// defined on first use.
Class* FunctionKind(Game& game, const std::string& name);

}  // namespace emu
