#include "DevServerOptions.h"

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
    bool bindGiven = false;
    bool passwordGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string option = arguments[i];
        std::optional<std::string> inlineValue;
        if (auto equals = option.find('='); option.rfind("--", 0) == 0 && equals != option.npos) {
            inlineValue = option.substr(equals + 1);
            option.resize(equals);
        }
        auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= arguments.size()) Fail(option + ": missing value");
            return arguments[++i];
        };
        auto flag = [&] {
            if (inlineValue) Fail(option + ": takes no value");
            return true;
        };
        if (option == "--plugin-dir") {
            options.pluginDir = value();
        } else if (option == "--world") {
            options.world = value();
        } else if (option == "--script") {
            options.script = value();
        } else if (option == "--timer-interval") {
            options.timerInterval = ParseSeconds(option, value());
        } else if (option == "--seed") {
            options.seed = ParseSeed(option, value());
        } else if (option == "--rcon-port") {
            options.rconPort = ParsePort(option, value());
        } else if (option == "--rcon-bind") {
            options.rconBind = value();
            bindGiven = true;
        } else if (option == "--rcon-password") {
            options.rconPassword = value();
            passwordGiven = true;
        } else if (option == "--rcon-empty-preamble") {
            options.rconEmptyPreamble = flag();
        } else if (option == "--echo") {
            options.echo = flag();
        } else if (option == "--realtime") {
            options.realtime = flag();
        } else if (option == "--print-default-world") {
            options.printDefaultWorld = flag();
        } else if (option == "--help" || option == "-h") {
            options.help = flag();
        } else {
            Fail("unknown option '" + option + "' (see --help)");
        }
    }
    if (options.rconPort) {
        if (options.rconPassword.empty()) Fail("--rcon-port needs --rcon-password");
    } else if (passwordGiven || bindGiven || options.rconEmptyPreamble) {
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
  --rcon-port N            listen for Source RCON clients on port N (0: any free port)
  --rcon-bind ADDR         address to listen on (default 127.0.0.1)
  --rcon-password TEXT     password RCON clients must give (required with --rcon-port)
  --rcon-empty-preamble    send an empty response value before the auth answer
  --help                   this text

Type "help" at the console for the commands.
)";
}

}  // namespace txl::devserver
