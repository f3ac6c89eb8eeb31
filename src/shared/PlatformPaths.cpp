#include "shared/PlatformPaths.h"

#include <stdexcept>
#include <system_error>
#include <vector>

#include "host/EngineText.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace txl {

#if defined(_WIN32)

std::wstring LocatePluginModule(const void* address) {
    HMODULE module = nullptr;
    constexpr DWORD kFlags =
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExW(kFlags, static_cast<LPCWSTR>(address), &module)) {
        throw std::runtime_error("Cannot locate plugin module");
    }
    std::vector<wchar_t> buffer(32768, L'\0');
    DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    // No path, or one cut at the end of the buffer, would send the plug-in to another folder.
    if (length == 0 || length >= buffer.size())
        throw std::runtime_error("Cannot locate plugin module");
    return std::wstring(buffer.data());
}

std::filesystem::path ToFilesystemPath(const std::wstring& path) {
    return std::filesystem::path(path);
}

#else

std::wstring LocatePluginModule(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr || info.dli_fname[0] == '\0') {
        throw std::runtime_error("Cannot locate plugin module");
    }
    // A library loaded by a relative path reports that path; made absolute now, it still names
    // the plug-in's folder after the process changes directory.
    std::error_code error;
    std::filesystem::path module = std::filesystem::absolute(info.dli_fname, error);
    if (error) throw std::runtime_error("Cannot locate plugin module");
    return host::ToWide(module.lexically_normal().string());
}

std::filesystem::path ToFilesystemPath(const std::wstring& path) {
    auto characters = host::ToUtf8(path.data(), static_cast<int>(path.size()));
    return std::filesystem::path(characters);
}

#endif

}  // namespace txl
