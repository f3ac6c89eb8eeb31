#include "shared/PlatformFiles.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace txl {
namespace {

// A name nobody can have prepared in advance; a clash is retried with another.
constexpr int kNameAttempts = 8;

std::filesystem::path ScratchName(const std::filesystem::path& target) {
    static std::random_device random;
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".%08x%08x.tmp", random(), random());
    std::filesystem::path name = target;
    name += suffix;
    return name;
}

}  // namespace

#if defined(_WIN32)

namespace {

bool WriteAll(HANDLE file, std::string_view text) {
    while (!text.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, text.data(), chunk, &written, nullptr) || written == 0) return false;
        text.remove_prefix(written);
    }
    return true;
}

bool Exists(const std::filesystem::path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Not every implementation of the replacement carries these over; they are set again where not.
void KeepAttributes(const std::filesystem::path& target, DWORD attributes) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD now = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || now == INVALID_FILE_ATTRIBUTES ||
        (now & kKept) == (attributes & kKept))
        return;
    const DWORD wanted = (now & ~kKept & ~FILE_ATTRIBUTE_NORMAL) | (attributes & kKept);
    SetFileAttributesW(target.c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted);
}

// The replacement keeps the report's attributes, security and creation time. When the host
// could not move the new file into place after moving the old one away, the move is finished
// here, so the report never goes missing.
bool MoveOver(const std::filesystem::path& scratch, const std::filesystem::path& target) {
    if (!Exists(target)) return MoveFileExW(scratch.c_str(), target.c_str(), 0) != 0;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool moved =
        ReplaceFileW(target.c_str(), scratch.c_str(), nullptr, 0, nullptr, nullptr) ||
        (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
         MoveFileExW(scratch.c_str(), target.c_str(), 0));
    if (moved) KeepAttributes(target, attributes);
    return moved;
}

}  // namespace

FileReplacement ReplaceThroughScratchFile(const std::filesystem::path& target,
                                          std::string_view text) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::filesystem::path scratch = ScratchName(target);
        HANDLE file = CreateFileW(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            return error == ERROR_ACCESS_DENIED ? FileReplacement::FolderRefused
                                                : FileReplacement::Failed;
        }
        const bool written = WriteAll(file, text) && FlushFileBuffers(file);
        if (CloseHandle(file) && written && MoveOver(scratch, target)) {
            return FileReplacement::Replaced;
        }
        DeleteFileW(scratch.c_str());
        return FileReplacement::Failed;
    }
    return FileReplacement::Failed;
}

bool OverwriteInPlace(const std::filesystem::path& target, std::string_view text) {
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              TRUNCATE_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = WriteAll(file, text);
    return CloseHandle(file) && written;
}

bool IsWritableFile(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    constexpr DWORD kNotWritable =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNotWritable) != 0) return false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool IsTrustedLink(const std::filesystem::path&) {
    return true;
}

#else

namespace {

bool WriteAll(int file, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(file, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The report holds memory addresses: an administrator's mode and owner stay. Changing the
// owner needs a privilege the process may lack; the mode is set after it, which a change of
// owner may have cleared bits of.
void TakeIdentity(int file, const struct stat& report) {
    if (fchown(file, report.st_uid, report.st_gid) != 0) {
        // Not permitted: the file keeps this process's owner.
    }
    fchmod(file, report.st_mode & 07777);
}

}  // namespace

FileReplacement ReplaceThroughScratchFile(const std::filesystem::path& target,
                                          std::string_view text) {
    struct stat report {};
    const bool existing = lstat(target.c_str(), &report) == 0;
    if (existing && !S_ISREG(report.st_mode)) return FileReplacement::Failed;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::filesystem::path scratch = ScratchName(target);
        const int file =
            open(scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file < 0) {
            if (errno == EEXIST) continue;
            return errno == EACCES || errno == EPERM || errno == EROFS
                       ? FileReplacement::FolderRefused
                       : FileReplacement::Failed;
        }
        if (existing) TakeIdentity(file, report);
        const bool written = WriteAll(file, text) && fsync(file) == 0;
        if (close(file) == 0 && written && rename(scratch.c_str(), target.c_str()) == 0) {
            return FileReplacement::Replaced;
        }
        unlink(scratch.c_str());
        return FileReplacement::Failed;
    }
    return FileReplacement::Failed;
}

bool OverwriteInPlace(const std::filesystem::path& target, std::string_view text) {
    // Non-blocking, so that a pipe put at the path cannot hold the command.
    const int file = open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) return false;
    struct stat status {};
    const bool written = fstat(file, &status) == 0 && S_ISREG(status.st_mode) &&
                         ftruncate(file, 0) == 0 && WriteAll(file, text);
    return close(file) == 0 && written;
}

bool IsWritableFile(const std::filesystem::path& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    // Read-only by its mode stays read-only, even for a process that could write it anyway.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    const int file = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) return false;
    close(file);
    return true;
}

bool IsTrustedLink(const std::filesystem::path& link) {
    struct stat status {};
    struct stat folder {};
    if (lstat(link.c_str(), &status) != 0) return false;
    if (status.st_uid == geteuid() || status.st_uid == 0) return true;
    const std::filesystem::path parent = link.has_parent_path() ? link.parent_path() : ".";
    return stat(parent.c_str(), &folder) == 0 && folder.st_uid == status.st_uid;
}

#endif

}  // namespace txl
