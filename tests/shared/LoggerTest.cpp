#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "emuhost/HostLog.h"
#include "emuhost/PluginLoader.h"
#include "shared/Logger.h"
#include "support/EmulatedServer.h"

namespace {

using txltest::EmulatedServer;
using txltest::PluginFolder;

std::string LocalStamp(std::time_t when) {
    char text[32];
    std::strftime(text, sizeof text, "%m/%d/%y %H:%M", std::localtime(&when));
    return text;
}

void SetTimeZone(const std::optional<std::string>& zone) {
#if defined(_WIN32)
    _putenv_s("TZ", zone.value_or("").c_str());
    _tzset();
#else
    if (zone) {
        setenv("TZ", zone->c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
#endif
}

// The host's own sinks: a file the host opened, as on a real server. Emptied afterwards so that
// the file is closed before its folder goes.
class HostLogFile {
  public:
    explicit HostLogFile(const PluginFolder& folder) : file_(folder.Path() / "logs" / "host.log") {
        emuhost::ConfigureLogSinks(false, file_);
    }
    ~HostLogFile() {
        emuhost::ConfigureLogSinks(false, {});
        txl::CreateLogger();
    }
    std::string Text() const { return txltest::ReadBytes(file_); }

  private:
    std::filesystem::path file_;
};

// A zone far from UTC, so that a stamp in UTC cannot pass for local time.
class FarTimeZone {
  public:
    FarTimeZone() {
        if (const char* zone = std::getenv("TZ")) saved_ = zone;
        SetTimeZone("TXL-5");
    }
    ~FarTimeZone() { SetTimeZone(saved_); }

  private:
    std::optional<std::string> saved_;
};

TEST(PluginLogger, WritesThroughTheHostsSinkAsTheHostSeesIt) {
    EmulatedServer server;
    PluginFolder folder;
    FarTimeZone zone;
    HostLogFile host(folder);
    txl::CreateLogger();

    const std::time_t before = std::time(nullptr);
    txl::Log().debug("TXL not shown {}", 0);
    txl::Log().info("TXL shown {}", 1);
    // No flush asked for: the file holds the line because info flushes at once.
    const std::string text = host.Text();
    const std::time_t after = std::time(nullptr);
    const std::string line = " [Thalassovex Crafting Control][info] TXL shown 1";
    const std::string first = LocalStamp(before) + line;
    const std::string second = LocalStamp(after) + line;
    EXPECT_TRUE(text.rfind(first, 0) == 0 || text.rfind(second, 0) == 0) << text;
    EXPECT_EQ(text.find("not shown"), std::string::npos);

    txl::Log().error("TXL failed: {}", "reason");
    EXPECT_NE(host.Text().find("[Thalassovex Crafting Control][error] TXL failed: reason"),
              std::string::npos);
}

// The sinks are the host's and stay when the library goes: nothing of the plug-in's code may be
// left in them. Where unloading really unmaps the library (Windows), the host's next line would
// run freed code.
TEST(PluginLogger, HostLogsAfterThePluginIsUnloaded) {
    EmulatedServer server;
    PluginFolder folder;
    HostLogFile host(folder);
    { emuhost::LoadedPlugin plugin(folder.Library()); }
    emuhost::HostLogInfo("host line after unload");
    emuhost::HostLogInfo("and another");

    std::string text = host.Text();
    const std::string loaded =
        "[Thalassovex Crafting Control][info] Thalassovex processor candidate";
    EXPECT_NE(text.find(loaded), std::string::npos) << text;
    EXPECT_NE(text.find("[AsaApi][info] host line after unload"), std::string::npos) << text;
    EXPECT_NE(text.find("[AsaApi][info] and another"), std::string::npos) << text;

    // Loaded again over the same sinks, it logs as the first time.
    { emuhost::LoadedPlugin again(folder.Library()); }
    emuhost::HostLogInfo("host line after the second unload");
    text = host.Text();
    EXPECT_NE(text.find(loaded, text.find("and another")), std::string::npos) << text;
    EXPECT_NE(text.find("[AsaApi][info] host line after the second unload"), std::string::npos);
}

}  // namespace
