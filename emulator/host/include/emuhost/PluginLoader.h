#pragma once

#include <filesystem>
#include <memory>

#include "emuhost/Export.h"

namespace emuhost {

// A plug-in library loaded as the host loads it: Plugin_Init at load, Plugin_Unload before release.
class EMUHOST_API LoadedPlugin {
  public:
    explicit LoadedPlugin(const std::filesystem::path& library);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    // Runs Plugin_Unload and releases the library; later calls do nothing.
    void Unload();
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
    void* handle_ = nullptr;
};

// File name of a plug-in library on this platform ("Name.dll" or "libName.so" style).
EMUHOST_API std::filesystem::path PluginLibraryFileName(const std::string& name);

}  // namespace emuhost
