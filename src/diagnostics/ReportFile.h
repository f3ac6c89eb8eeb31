#pragma once

#include <filesystem>
#include <string>

namespace txl {

// Writes `text` to a new file beside `target` and moves it over `target`, which keeps its mode
// and owner; a `target` reached through a link of this process's user or the folder's owner is
// replaced where the link points. Where the folder takes no new file, a writable `target` is
// written in place. On failure, and when an existing `target` is read-only or not writable, no
// new file remains, `target` is left as it was, and "Could not write diagnostic report" is
// raised.
void ReplaceReportFile(const std::filesystem::path& target, const std::string& text);

}  // namespace txl
