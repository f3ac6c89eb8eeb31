#pragma once

#include <filesystem>

namespace emuhost {

// The folder that holds the host library itself.
std::filesystem::path HostLibraryFolder();

}  // namespace emuhost
