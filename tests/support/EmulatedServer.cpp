#include "support/EmulatedServer.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "emuhost/HostLog.h"
#include "emuhost/NameRegistry.h"
#include "emuhost/PluginLoader.h"

namespace txltest {

EmulatedServer::EmulatedServer() : sink_(std::make_shared<CapturingSink>()) {
    emuhost::ConfigureLogSinks(false, {});
    emuhost::AddLogSink(sink_);
    emuhost::HookManager::Instance().Reset();
    emuhost::CommandRegistry::Instance().Reset();
    emuhost::NameRegistry::Instance().ClearFaults();
    Game().Start();
    Game().Reset();
}

EmulatedServer::~EmulatedServer() {
    emuhost::HookManager::Instance().Reset();
    emuhost::CommandRegistry::Instance().Reset();
    emuhost::NameRegistry::Instance().ClearFaults();
    Game().Reset();
    emuhost::RemoveLogSink(sink_);
}

PluginFolder::PluginFolder(const std::string& configJson) {
    static std::atomic<int> counter{0};
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("txl-plugin-" + std::to_string(random()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
    std::filesystem::copy_file(TXL_PLUGIN_LIBRARY, Library());
    WriteConfig(configJson);
}

PluginFolder::~PluginFolder() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    // Windows removes no read-only file, and some tests leave their report read-only.
    for (fs::recursive_directory_iterator it(path_, ignored), end; it != end; it.increment(ignored))
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::filesystem::path PluginFolder::Library() const {
    return path_ / emuhost::PluginLibraryFileName("ThalassovexCraftingControl");
}

void PluginFolder::WriteConfig(const std::string& configJson) const {
    std::ofstream(path_ / "config.json", std::ios::binary) << configJson;
}

void PluginFolder::RemoveConfig() const {
    std::filesystem::remove(path_ / "config.json");
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteBytes(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace txltest
