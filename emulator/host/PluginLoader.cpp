#include "emuhost/PluginLoader.h"

#include <exception>
#include <stdexcept>
#include <string>

#include "emuhost/HostLog.h"
#include "emuhost/Misuse.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace emuhost {
namespace {

using EntryPoint = void (*)();

void* OpenLibrary(const std::filesystem::path& library) {
#if defined(_WIN32)
    return LoadLibraryW(library.wstring().c_str());
#else
    return dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

std::string LastLoadError() {
#if defined(_WIN32)
    return "error " + std::to_string(GetLastError());
#else
    const char* error = dlerror();
    return error != nullptr ? error : "unknown error";
#endif
}

EntryPoint FindEntry(void* handle, const char* name) {
#if defined(_WIN32)
    return reinterpret_cast<EntryPoint>(GetProcAddress(static_cast<HMODULE>(handle), name));
#else
    return reinterpret_cast<EntryPoint>(dlsym(handle, name));
#endif
}

void CloseLibrary(void* handle) {
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

// The entry points are C functions: an exception leaving one would cross into the host.
void CallEntry(EntryPoint entry, const char* name) {
    try {
        entry();
    } catch (const std::exception& error) {
        AbortOnMisuse(std::string("an exception from ") + name +
                      " reached the host: " + error.what());
    }
}

}  // namespace

LoadedPlugin::LoadedPlugin(const std::filesystem::path& library) : path_(library) {
    handle_ = OpenLibrary(library);
    if (handle_ == nullptr) {
        std::string message = "Cannot load plug-in " + library.string() + ": " + LastLoadError();
        HostLogError(message);
        throw std::runtime_error(message);
    }
    EntryPoint init = FindEntry(handle_, "Plugin_Init");
    if (init == nullptr || FindEntry(handle_, "Plugin_Unload") == nullptr) {
        CloseLibrary(handle_);
        handle_ = nullptr;
        std::string message = "Plug-in " + library.string() + " lacks Plugin_Init or Plugin_Unload";
        HostLogError(message);
        throw std::runtime_error(message);
    }
    CallEntry(init, "Plugin_Init");
}

LoadedPlugin::~LoadedPlugin() {
    Unload();
}

void LoadedPlugin::Unload() {
    if (handle_ == nullptr) return;
    CallEntry(FindEntry(handle_, "Plugin_Unload"), "Plugin_Unload");
    CloseLibrary(handle_);
    handle_ = nullptr;
}

std::filesystem::path PluginLibraryFileName(const std::string& name) {
#if defined(_WIN32)
    return name + ".dll";
#else
    return name + ".so";
#endif
}

}  // namespace emuhost
