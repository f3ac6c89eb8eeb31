#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "DevServerOptions.h"

namespace {

using txl::devserver::DevServerOptions;
using txl::devserver::ParseOptions;

TEST(DevServerOptions, ReadsEveryOption) {
    DevServerOptions none = ParseOptions({});
    EXPECT_EQ(none.pluginDir, std::filesystem::path(TXL_PLUGIN_DIR));
    EXPECT_FALSE(none.world || none.script || none.rconPort);
    EXPECT_EQ(none.rconBind, "127.0.0.1");
    EXPECT_EQ(none.rconAuthTimeout, 5.0);
    EXPECT_FALSE(none.echo || none.realtime || none.noPlugin || none.help);

    DevServerOptions all =
        ParseOptions({"--plugin-dir", "p", "--world=w.json", "--timer-interval", "0.25",
                      "--rcon-port", "0", "--rcon-bind", "::1", "--rcon-password",
                      "-starts-with-a-dash", "--rcon-empty-preamble", "--rcon-auth-timeout", "0.5",
                      "--echo", "--realtime", "--no-plugin", "--print-default-world", "-h"});
    EXPECT_EQ(all.pluginDir, std::filesystem::path("p"));
    EXPECT_EQ(all.world, std::filesystem::path("w.json"));
    EXPECT_EQ(all.timerInterval, 0.25);
    EXPECT_EQ(all.rconPort, 0);
    EXPECT_EQ(all.rconBind, "::1");
    EXPECT_EQ(all.rconPassword, "-starts-with-a-dash");
    EXPECT_EQ(all.rconAuthTimeout, 0.5);
    EXPECT_TRUE(all.rconEmptyPreamble && all.echo && all.realtime && all.noPlugin &&
                all.printDefaultWorld && all.help);

    // The last of a repeated option counts; a script takes its path as given.
    DevServerOptions repeated = ParseOptions({"--script", "a.txt", "--script", "b.txt", "--help"});
    EXPECT_EQ(repeated.script, std::filesystem::path("b.txt"));
    EXPECT_TRUE(repeated.help);
}

TEST(DevServerOptions, RefusesWithAMessageNamingTheProblem) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--world"}, "--world: missing value"},
        {{"--echo=yes"}, "--echo: takes no value"},
        {{"--no-plugin=1"}, "--no-plugin: takes no value"},
        {{"--bogus"}, "unknown option '--bogus' (see --help)"},
        {{"stray"}, "unknown option 'stray' (see --help)"},
        {{"--timer-interval", "0"},
         "--timer-interval: expected a positive number of seconds, got '0'"},
        {{"--timer-interval", "1s"},
         "--timer-interval: expected a positive number of seconds, got '1s'"},
        {{"--rcon-port", "65536", "--rcon-password", "x"},
         "--rcon-port: expected a port number 0..65535, got '65536'"},
        {{"--rcon-port", "27020"}, "--rcon-port needs --rcon-password"},
        {{"--rcon-password", "x"}, "RCON options need --rcon-port"},
        {{"--rcon-bind", "0.0.0.0"}, "RCON options need --rcon-port"},
        {{"--rcon-empty-preamble"}, "RCON options need --rcon-port"},
        {{"--rcon-auth-timeout", "2"}, "RCON options need --rcon-port"},
        {{"--rcon-port", "0", "--rcon-password", "x", "--rcon-auth-timeout", "0"},
         "--rcon-auth-timeout: expected a positive number of seconds, got '0'"},
        {{"--rcon-port", "0", "--rcon-password", "x", "--rcon-auth-timeout", "1e9"},
         "--rcon-auth-timeout: at most 3600 seconds, got '1e9'"},
        {{"--script", "s.txt", "--realtime"}, "--realtime does not apply to --script"},
    };
    for (const auto& [arguments, message] : cases) {
        try {
            ParseOptions(arguments);
            ADD_FAILURE() << "accepted: " << arguments.front();
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

}  // namespace
