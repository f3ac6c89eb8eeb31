#pragma once

#include <filesystem>
#include <string>

// Everything that differs between Windows and other systems: where the plug-in's module
// lies, and how a wide path names a file.
namespace txl {

// Full path of the module that holds `address` (the plug-in's own entry point); raises
// "Cannot locate plugin module".
std::wstring LocatePluginModule(const void* address);
std::filesystem::path ToFilesystemPath(const std::wstring& path);

}  // namespace txl
