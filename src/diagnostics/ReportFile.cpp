#include "diagnostics/ReportFile.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace txl {
namespace {

[[noreturn]] void FailWrite() {
    throw std::runtime_error("Could not write diagnostic report");
}

// Binary, so the file holds exactly the serialised text on every platform.
bool WriteWholeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    // Not opened: nothing was created, so nothing of ours is there to remove.
    if (!out.is_open()) FailWrite();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
}

// A report reached through a link is replaced where the link points, so the link stays.
std::filesystem::path FollowLinks(std::filesystem::path path) {
    constexpr int kMaxLinks = 40;
    std::error_code error;
    for (int i = 0; std::filesystem::is_symlink(path, error); ++i) {
        if (i == kMaxLinks) FailWrite();
        std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) FailWrite();
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// A report the administrator made read-only, or one this process may not write, stays as it
// is: renaming over it would replace it regardless.
bool MayReplace(const std::filesystem::path& path) {
    using std::filesystem::perms;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return true;
    constexpr perms kWrite = perms::owner_write | perms::group_write | perms::others_write;
    if ((status.permissions() & kWrite) == perms::none) return false;
    // Opened for appending and closed at once: the report itself is not changed.
    std::ofstream probe(path, std::ios::binary | std::ios::app);
    return probe.is_open();
}

}  // namespace

void ReplaceReportFile(const std::filesystem::path& report, const std::string& text) {
    const std::filesystem::path target = FollowLinks(report);
    if (!MayReplace(target)) FailWrite();
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    std::error_code error;
    if (WriteWholeFile(temporary, text)) {
        std::filesystem::rename(temporary, target, error);
        if (!error) return;
    }
    std::filesystem::remove(temporary, error);
    FailWrite();
}

}  // namespace txl
