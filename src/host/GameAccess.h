#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

#include "AsaApi/Address.h"
#include "AsaApi/EngineTypes.h"
#include "host/HostNames.h"

namespace txl {

template <std::size_t N>
struct HostNameLiteral {
    char text[N];
    // NOLINTNEXTLINE(google-explicit-constructor): converts the literal of a listed name
    constexpr HostNameLiteral(const char (&literal)[N]) { std::copy_n(literal, N, text); }
};

// A listed game name as the host takes it ("UPrimalItem.ItemID"_field): the text is built once
// per name, so resolving it at every use costs no allocation.
template <HostNameLiteral Literal, host::HostNameKind Kind>
const std::string& ListedHostName() {
    static_assert(host::IsListedHostName({Literal.text, sizeof(Literal.text) - 1}, Kind),
                  "a game name the plug-in resolves must be listed in host/HostNames.h");
    static const std::string name(Literal.text, sizeof(Literal.text) - 1);
    return name;
}

template <HostNameLiteral Literal>
const std::string& operator""_function() {
    return ListedHostName<Literal, host::HostNameKind::Function>();
}

template <HostNameLiteral Literal>
const std::string& operator""_field() {
    return ListedHostName<Literal, host::HostNameKind::Field>();
}

template <HostNameLiteral Literal>
const std::string& operator""_flag() {
    return ListedHostName<Literal, host::HostNameKind::BitField>();
}

template <HostNameLiteral Literal>
const std::string& operator""_hook() {
    return ListedHostName<Literal, host::HostNameKind::Hook>();
}

}  // namespace txl

// Name-based access to the game's fields, packed flags and functions through the host.
namespace txl::host {

template <typename T>
T& Field(const void* object, const std::string& name) {
    return *reinterpret_cast<T*>(GetAddress(object, name));
}

bool ReadFlag(void* object, const std::string& name);
void WriteFlag(void* object, const std::string& name, bool on);

// Calls a game function by its qualified name, the object (if any) first.
template <typename R, typename... Args>
R Call(const std::string& name, Args... args) {
    return reinterpret_cast<R (*)(Args...)>(GetAddress(name))(args...);
}

}  // namespace txl::host
