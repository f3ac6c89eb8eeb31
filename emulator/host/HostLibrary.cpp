#include "emuhost/HostLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace emuhost {

std::filesystem::path HostLibraryFolder() {
#if defined(_WIN32)
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&HostLibraryFolder), &module);
    wchar_t path[32768] = {};
    GetModuleFileNameW(module, path, 32768);
    return std::filesystem::path(path).parent_path();
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&HostLibraryFolder), &info) == 0 ||
        info.dli_fname == nullptr)
        return ".";
    return std::filesystem::absolute(info.dli_fname).parent_path();
#endif
}

}  // namespace emuhost
