#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "emugame/Game.h"
#include "emuhost/HostLog.h"

namespace txlfuzz {

// The host logs nowhere and the game has published its names, once per process.
inline void StartQuietGame() {
    static const bool started = [] {
        emuhost::ConfigureLogSinks(false, {});
        emu::Game::Instance().Start();
        return true;
    }();
    (void)started;
}

// A folder of this process's own for the files a target writes, removed when the process ends.
inline const std::filesystem::path& ScratchFolder() {
    struct Folder {
        std::filesystem::path Path = std::filesystem::temp_directory_path() /
                                     ("txl-fuzz-" + std::to_string(std::random_device()()));
        Folder() { std::filesystem::create_directories(Path); }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(Path, ignored);
        }
    };
    static const Folder folder;
    return folder.Path;
}

}  // namespace txlfuzz
