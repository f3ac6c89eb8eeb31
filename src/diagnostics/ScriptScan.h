#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include <nlohmann/json.hpp>

namespace txl {

// The label of every reflected object of one capture, keyed by the object's address.
using ReflectionLabels = std::unordered_map<std::uint64_t, std::string>;

// Appends the script as lowercase hex to `hex`, and a reference record {"at", "target"} to
// `references` for every 8-byte window that holds a labelled address, in offset order.
// A count of 0 or below scans nothing.
void AppendScriptHex(const std::uint8_t* script, std::int32_t count, const ReflectionLabels& labels,
                     std::string& hex, nlohmann::json& references);

}  // namespace txl
