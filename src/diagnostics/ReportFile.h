#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace txl {

// The report as written: indent 2, keys in byte order, raw UTF-8, null for values that are not
// finite, no newline at the end. Text that is not valid UTF-8 raises the JSON library's error.
std::string SerialiseReport(const nlohmann::json& report);

// Writes `text` to a temporary file beside `target` and moves it over `target` once the write
// and close succeeded; a `target` that is a link is replaced where it points. On failure, and
// when an existing `target` is read-only or not writable, the temporary file is removed,
// `target` is left as it was, and "Could not write diagnostic report" is raised.
void ReplaceReportFile(const std::filesystem::path& target, const std::string& text);

}  // namespace txl
