#include "diagnostics/ReportFile.h"

#include <stdexcept>
#include <system_error>

#include "shared/PlatformFiles.h"

namespace txl {
namespace {

[[noreturn]] void FailWrite() {
    throw std::runtime_error("Could not write diagnostic report");
}

// An administrator may keep the report elsewhere through a link; it is replaced where the link
// points and the link stays. A link another user planted in the folder is not followed.
std::filesystem::path FollowLinks(std::filesystem::path path) {
    constexpr int kMaxLinks = 40;
    std::error_code error;
    for (int i = 0; std::filesystem::is_symlink(path, error); ++i) {
        if (i == kMaxLinks || !IsTrustedLink(path)) FailWrite();
        std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) FailWrite();
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

}  // namespace

void ReplaceReportFile(const std::filesystem::path& report, const std::string& text) {
    const std::filesystem::path target = FollowLinks(report);
    std::error_code error;
    const bool existing = std::filesystem::exists(std::filesystem::symlink_status(target, error));
    // A report made read-only, or one this process may not write, stays as it is: a rename
    // would replace it regardless.
    if (existing && !IsWritableFile(target)) FailWrite();
    switch (ReplaceThroughScratchFile(target, text)) {
        case FileReplacement::Replaced:
            return;
        case FileReplacement::FolderRefused:
            // The report itself may still be writable where its folder takes no new file.
            if (existing && OverwriteInPlace(target, text)) return;
            break;
        case FileReplacement::Failed:
            break;
    }
    FailWrite();
}

}  // namespace txl
