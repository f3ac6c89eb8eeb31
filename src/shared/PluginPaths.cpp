#include "shared/PluginPaths.h"

namespace txl {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

#if defined(_WIN32)
constexpr wchar_t kSeparator = L'\\';
#else
constexpr wchar_t kSeparator = L'/';
#endif

// Length of a leading drive ("C:") and root separator, which no parent removes.
std::size_t RootLength(const std::wstring& path) {
    std::size_t length = 0;
    if (path.size() >= 2 && path[1] == L':') length = 2;
    if (length < path.size() && IsSeparator(path[length])) ++length;
    return length;
}

}  // namespace

std::wstring ParentDirectory(const std::wstring& path) {
    std::size_t root = RootLength(path);
    std::size_t end = path.size();
    while (end > root && !IsSeparator(path[end - 1])) --end;  // the last element
    while (end > root && IsSeparator(path[end - 1])) --end;   // the separators before it
    return path.substr(0, end);
}

std::wstring SiblingPath(const std::wstring& path, std::wstring_view name) {
    std::wstring folder = ParentDirectory(path);
    if (folder.empty()) return std::wstring(name);
    if (!IsSeparator(folder.back())) folder.push_back(kSeparator);
    return folder + std::wstring(name);
}

}  // namespace txl
