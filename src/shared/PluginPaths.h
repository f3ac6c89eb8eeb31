#pragma once

#include <string>
#include <string_view>

namespace txl {

// `path` without its last element and the separators before it; a root or drive stays.
std::wstring ParentDirectory(const std::wstring& path);
// A file named `name` in the folder that holds `path`; the name alone when there is no folder.
std::wstring SiblingPath(const std::wstring& path, std::wstring_view name);

}  // namespace txl
