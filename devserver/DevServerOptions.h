#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace txl::devserver {

// What the command line asked for.
struct DevServerOptions {
    std::filesystem::path pluginDir;  // holds the plug-in library and its config.json
    std::optional<std::filesystem::path> world;
    std::optional<std::filesystem::path> script;
    double timerInterval = 1.0;         // simulated seconds between the host's timer calls
    std::optional<std::uint64_t> seed;  // of the crafts' rolls; the world file's otherwise
    std::optional<int> rconPort;
    std::string rconBind = "127.0.0.1";
    std::string rconPassword;
    bool rconEmptyPreamble = false;
    double rconAuthTimeout = 5.0;  // seconds from connect to a right password
    // This many wrong passwords from one address within the window ban it for the ban time.
    int rconBanFailures = 5;
    double rconBanWindow = 30.0;
    double rconBanTime = 300.0;
    bool rconWholeReplies = true;  // a long reply in one packet rather than split in 4 kB ones
    bool echo = false;             // print each command before its reply
    bool realtime = false;         // let the simulated clock follow the wall clock between commands
    bool noHistory = false;        // keep no console history file
    bool printDefaultWorld = false;
    bool noPlugin = false;  // the same world without the plug-in, for comparing whole runs
    bool help = false;
};

// Parses argv; throws std::invalid_argument with a message naming the bad option.
DevServerOptions ParseOptions(const std::vector<std::string>& arguments);

std::string UsageText();

}  // namespace txl::devserver
