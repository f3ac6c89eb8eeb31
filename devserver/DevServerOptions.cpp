#include "DevServerOptions.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace txl::devserver {
namespace {

[[noreturn]] void Fail(const std::string& message) {
    throw std::invalid_argument(message);
}

double ParseSeconds(const std::string& option, const std::string& text) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        value <= 0)
        Fail(option + ": expected a positive number of seconds, got '" + text + "'");
    return value;
}

std::uint64_t ParseSeed(const std::string& option, const std::string& text) {
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > INT64_MAX)
        Fail(option + ": expected a whole number 0.." + std::to_string(INT64_MAX) + ", got '" +
             text + "'");
    return value;
}

int ParseCount(const std::string& option, const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 1000)
        Fail(option + ": expected a whole number 1..1000, got '" + text + "'");
    return value;
}

// Timers of the RCON listener, from a moment to a day.
double ParseRconSeconds(const std::string& option, const std::string& text) {
    double value = ParseSeconds(option, text);
    if (value > 86400) Fail(option + ": at most 86400 seconds, got '" + text + "'");
    return value;
}

int ParsePort(const std::string& option, const std::string& text) {
    int value = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 65535)
        Fail(option + ": expected a port number 0..65535, got '" + text + "'");
    return value;
}

}  // namespace

DevServerOptions ParseOptions(const std::vector<std::string>& arguments) {
    DevServerOptions options;
    options.pluginDir = TXL_PLUGIN_DIR;
    std::string pluginDir, world, script, timerInterval, rconPort, seed, authTimeout;
    std::string banFailures, banWindow, banTime, replyPackets;

    CLI::App app("txl-devserver");
    app.set_help_flag();
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    auto* pluginDirOption = app.add_option("--plugin-dir", pluginDir);
    auto* worldOption = app.add_option("--world", world);
    auto* scriptOption = app.add_option("--script", script);
    auto* intervalOption = app.add_option("--timer-interval", timerInterval);
    auto* seedOption = app.add_option("--seed", seed);
    auto* portOption = app.add_option("--rcon-port", rconPort);
    auto* bindOption = app.add_option("--rcon-bind", options.rconBind);
    auto* passwordOption = app.add_option("--rcon-password", options.rconPassword);
    auto* authTimeoutOption = app.add_option("--rcon-auth-timeout", authTimeout);
    auto* banFailuresOption = app.add_option("--rcon-ban-failures", banFailures);
    auto* banWindowOption = app.add_option("--rcon-ban-window", banWindow);
    auto* banTimeOption = app.add_option("--rcon-ban-time", banTime);
    auto* replyPacketsOption = app.add_option("--rcon-reply-packets", replyPackets);
    const std::vector<CLI::Option*> flags{
        app.add_flag("--rcon-empty-preamble", options.rconEmptyPreamble),
        app.add_flag("--echo", options.echo),
        app.add_flag("--realtime", options.realtime),
        app.add_flag("--no-history", options.noHistory),
        app.add_flag("--print-default-world", options.printDefaultWorld),
        app.add_flag("--no-plugin", options.noPlugin),
        app.add_flag("--help,-h", options.help)};
    for (CLI::Option* flag : flags) flag->disable_flag_override();

    // A flag given a value ("--echo=1") is refused rather than read as on or off.
    for (const std::string& argument : arguments) {
        auto equals = argument.find('=');
        if (argument.rfind("--", 0) != 0 || equals == std::string::npos) continue;
        std::string option = argument.substr(0, equals);
        for (const CLI::Option* flag : flags)
            if (flag->check_lname(option.substr(2))) Fail(option + ": takes no value");
    }
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        // Only an option without its value gets here; the library names it before a colon.
        std::string what = error.what();
        Fail(what.substr(0, what.find(':')) + ": missing value");
    }
    if (!app.remaining().empty())
        Fail("unknown option '" + app.remaining().front() + "' (see --help)");

    if (*pluginDirOption) options.pluginDir = pluginDir;
    if (*worldOption) options.world = world;
    if (*scriptOption) options.script = script;
    if (*intervalOption) options.timerInterval = ParseSeconds("--timer-interval", timerInterval);
    if (*seedOption) options.seed = ParseSeed("--seed", seed);
    if (*portOption) options.rconPort = ParsePort("--rcon-port", rconPort);
    if (*authTimeoutOption) {
        options.rconAuthTimeout = ParseSeconds("--rcon-auth-timeout", authTimeout);
        if (options.rconAuthTimeout > 3600)
            Fail("--rcon-auth-timeout: at most 3600 seconds, got '" + authTimeout + "'");
    }
    if (*banFailuresOption)
        options.rconBanFailures = ParseCount("--rcon-ban-failures", banFailures);
    if (*banWindowOption) options.rconBanWindow = ParseRconSeconds("--rcon-ban-window", banWindow);
    if (*banTimeOption) options.rconBanTime = ParseRconSeconds("--rcon-ban-time", banTime);
    if (*replyPacketsOption) {
        if (replyPackets != "whole" && replyPackets != "split")
            Fail("--rcon-reply-packets: expected 'whole' or 'split', got '" + replyPackets + "'");
        options.rconWholeReplies = replyPackets == "whole";
    }
    const bool rconTuned = *authTimeoutOption || *banFailuresOption || *banWindowOption ||
                           *banTimeOption || *replyPacketsOption;
    if (options.rconPort) {
        if (options.rconPassword.empty()) Fail("--rcon-port needs --rcon-password");
    } else if (*passwordOption || *bindOption || options.rconEmptyPreamble || rconTuned) {
        Fail("RCON options need --rcon-port");
    }
    if (options.script && options.realtime) Fail("--realtime does not apply to --script");
    return options;
}

std::string UsageText() {
    return R"(Usage: txl-devserver [OPTIONS]
Runs the plug-in in an emulated game server. Commands come from the console, a script or RCON;
replies go to standard output, log lines to standard error and to the plug-in folder's logs/.

  --plugin-dir DIR         plug-in folder with the library and config.json
                           (default: the build's plug-in folder)
  --world FILE             world file (JSON); the embedded default world when absent
  --print-default-world    print the embedded default world as a world file and exit
  --script FILE            run the commands of FILE, then exit (non-zero if one failed)
  --echo                   print each command ("> command") before its reply
  --timer-interval SECONDS simulated seconds between the host's timer calls (default 1)
  --seed N                 seed of the crafts' outcome rolls (default: the world file's, or 1)
  --realtime               advance the simulated clock with the wall clock between commands
  --no-history             keep no history file of the lines typed at a terminal
  --rcon-port N            listen for Source RCON clients on port N (0: any free port)
  --rcon-bind ADDR         address to listen on (default 127.0.0.1)
  --rcon-password TEXT     password RCON clients must give (required with --rcon-port)
  --rcon-empty-preamble    send an empty response value before the auth answer
  --rcon-auth-timeout SECONDS
                           time from connect to a right password before the connection
                           is closed (default 5)
  --rcon-ban-failures N    wrong passwords from one address within the ban window that ban
                           the address (default 5)
  --rcon-ban-window SECONDS
                           the window those failures are counted in (default 30)
  --rcon-ban-time SECONDS  how long a banned address's connections are closed at once
                           (default 300)
  --rcon-reply-packets whole|split
                           a long reply in one packet (up to 64 KiB; default) or split into
                           packets of 4086 bytes
  --no-plugin              run the world without loading the plug-in (to compare whole runs)
  --help                   this text

Type "help" at the console for the commands.
)";
}

}  // namespace txl::devserver
