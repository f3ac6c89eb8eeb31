#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "emugame/Game.h"
#include "support/CapturingSink.h"

namespace txltest {

// A fresh host and game for one test: no hooks, commands or faults, an empty world,
// and every log line captured.
class EmulatedServer {
  public:
    EmulatedServer();
    ~EmulatedServer();

    emu::Game& Game() { return emu::Game::Instance(); }
    CapturingSink& Logs() { return *sink_; }

  private:
    std::shared_ptr<CapturingSink> sink_;
};

// A temporary plug-in folder holding a copy of the built plug-in library and a config.json.
class PluginFolder {
  public:
    explicit PluginFolder(const std::string& configJson = "{}");
    ~PluginFolder();

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path Library() const;
    void WriteConfig(const std::string& configJson) const;
    void RemoveConfig() const;

  private:
    std::filesystem::path path_;
};

// Files as the tests see them: bytes read and written unchanged, and a folder's entry names,
// sorted.
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& text);
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

}  // namespace txltest
