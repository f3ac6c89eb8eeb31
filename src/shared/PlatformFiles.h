#pragma once

#include <filesystem>
#include <string_view>

// File replacement, the other thing besides module paths that differs between Windows and other
// systems. No call here follows a link at the path it names.
namespace txl {

enum class FileReplacement {
    Replaced,       // the scratch file now stands at the target's path
    FolderRefused,  // the folder takes no new file; nothing was created
    Failed,         // nothing changed at the target's path, and no scratch file remains
};

// Writes `text` to a new file of a fresh name beside `target`, created exclusively, and moves it
// over `target`. An existing target's mode and owner (where this process may set the owner), or
// on Windows its attributes and security, pass to the new file.
FileReplacement ReplaceThroughScratchFile(const std::filesystem::path& target,
                                          std::string_view text);

// Truncates the existing regular file `target` and writes `text` into it; false on any failure.
bool OverwriteInPlace(const std::filesystem::path& target, std::string_view text);

// True when `path` is an existing regular file (not a link) that this process may open for
// writing.
bool IsWritableFile(const std::filesystem::path& path);

// Whether the link at `link` may be followed: one that another user planted in the folder, other
// than the folder's owner, is not. Windows grants links only with a privilege: always true there.
bool IsTrustedLink(const std::filesystem::path& link);

}  // namespace txl
