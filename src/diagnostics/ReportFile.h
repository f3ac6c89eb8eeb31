#pragma once

#include <filesystem>
#include <string>

namespace txl {

// Writes `text` to a temporary file beside `target` and moves it over `target` once the write
// and close succeeded; a `target` that is a link is replaced where it points. On failure, and
// when an existing `target` is read-only or not writable, the temporary file is removed,
// `target` is left as it was, and "Could not write diagnostic report" is raised.
void ReplaceReportFile(const std::filesystem::path& target, const std::string& text);

}  // namespace txl
