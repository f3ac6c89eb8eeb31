#include <gtest/gtest.h>

#include <csignal>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <nlohmann/json.hpp>

#include "diagnostics/InspectSupport.h"

// How the report replaces the earlier one: never through what another user planted beside it,
// keeping what the administrator set on it, and leaving nothing behind when it fails.
namespace {

namespace fs = std::filesystem;
using txltest::EarlierReport;
using txltest::kWritten;

#if !defined(_WIN32)
// Acts as an unprivileged user for a scope, so that root's rights do not hide a refusal.
class ActingAsNobody {
  public:
    ActingAsNobody() : switched_(geteuid() == 0 && seteuid(65534) == 0) {}
    ~ActingAsNobody() {
        if (switched_ && seteuid(0) != 0) std::abort();
    }

  private:
    bool switched_;
};
#endif

TEST_F(EarlierReport, WhatIsPlantedAtTheOldScratchNameIsNeitherFollowedNorInTheWay) {
    WriteEarlierReport();
    txltest::PluginFolder elsewhere;
    const fs::path victim = elsewhere.Path() / "victim";
    txltest::WriteBytes(victim, "victim");
    const fs::path planted = fs::path(scenario.Report()) += ".tmp";
    std::error_code linkError;
    fs::create_symlink(victim, planted, linkError);
    if (!linkError) {
        ASSERT_TRUE(scenario.Inspect());
        EXPECT_EQ(txltest::ReadBytes(victim), "victim");
        EXPECT_TRUE(fs::is_symlink(planted));
        fs::remove(planted);
    }
    fs::create_directory(planted);
    ASSERT_TRUE(scenario.Inspect());
    EXPECT_TRUE(fs::is_directory(planted));
    EXPECT_EQ(txltest::ReadBytes(scenario.Report()), earlier);
    entries.push_back("processor-runtime.json.tmp");
    EXPECT_EQ(txltest::FolderEntries(scenario.folder.Path()), entries);
    EXPECT_EQ(scenario.Replies(), std::vector<std::string>(linkError ? 1 : 2, kWritten));
}

TEST_F(EarlierReport, TheNewReportKeepsTheModeOwnerAndAttributesOfTheEarlierOne) {
    WriteEarlierReport();
    const fs::path report = scenario.Report();
#if defined(_WIN32)
    ASSERT_TRUE(SetFileAttributesW(report.c_str(), FILE_ATTRIBUTE_HIDDEN));
    // Wine keeps no such attribute on a Unix file system.
    const bool hidden = (GetFileAttributesW(report.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0;
#else
    ASSERT_EQ(chmod(report.c_str(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(report.c_str(), 65534, 65534), 0);
    }
#endif
    scenario.SpawnProcessor(-0.8f);

    ASSERT_TRUE(scenario.Inspect());

    EXPECT_NE(txltest::ReadBytes(report), earlier);
    EXPECT_EQ(txltest::FolderEntries(scenario.folder.Path()), entries);
#if defined(_WIN32)
    EXPECT_EQ((GetFileAttributesW(report.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0, hidden);
#else
    struct stat status {};
    ASSERT_EQ(stat(report.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(status.st_uid, 65534u);
        EXPECT_EQ(status.st_gid, 65534u);
    }
#endif
}

TEST_F(EarlierReport, AFolderThatTakesNoNewFileHasTheReportWrittenInPlaceIfItIsWritable) {
#if defined(_WIN32)
    GTEST_SKIP() << "a read-only folder on Windows still takes new files";
#else
    WriteEarlierReport();
    const fs::path report = scenario.Report();
    const fs::path folder = scenario.folder.Path();
    struct stat before {};
    ASSERT_EQ(stat(report.c_str(), &before), 0);
    chmod(folder.c_str(), 0555);
    {
        ActingAsNobody nobody;
        ASSERT_TRUE(scenario.Inspect());  // the report is not writable by that user
    }
    ExpectFailureKeptEarlierReport("Could not write diagnostic report");

    chmod(report.c_str(), 0666);
    scenario.SpawnProcessor(-0.8f);
    scenario.Game().Log().Clear();
    {
        ActingAsNobody nobody;
        ASSERT_TRUE(scenario.Inspect());
    }
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(scenario.Replies(), std::vector<std::string>{kWritten});
    EXPECT_EQ(nlohmann::json::parse(txltest::ReadBytes(report)).at("animals").size(), 2u);
    struct stat after {};
    ASSERT_EQ(stat(report.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
#endif
}

// Read-only by its mode, or writable by its owner only while another user runs the inspection in
// a folder anyone may write: a rename would replace it regardless.
TEST_F(EarlierReport, AReportThatMayNotBeWrittenIsLeftAsItIs) {
    WriteEarlierReport();
    const fs::path report = scenario.Report();
    fs::permissions(report, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(scenario.Inspect());
    ExpectFailureKeptEarlierReport("Could not write diagnostic report");
    EXPECT_EQ(fs::status(report).permissions() & fs::perms::owner_write, fs::perms::none);
#if !defined(_WIN32)
    if (geteuid() != 0) return;
    chmod(report.c_str(), 0644);
    chmod(scenario.folder.Path().c_str(), 0777);
    scenario.Game().Log().Clear();
    scenario.server.Logs().Clear();
    bool ran = false;
    {
        ActingAsNobody nobody;
        ran = scenario.Inspect();
    }
    chmod(scenario.folder.Path().c_str(), 0755);
    ASSERT_TRUE(ran);
    ExpectFailureKeptEarlierReport("Could not write diagnostic report");
#endif
}

// The administrator's link is written through and stays a link; one another user planted at the
// report's name is not followed.
TEST_F(EarlierReport, AReportLinkIsFollowedOnlyWhenTheAdministratorMadeIt) {
    txltest::PluginFolder elsewhere;
    const fs::path target = elsewhere.Path() / "kept-here.json";
    std::error_code error;
    fs::create_symlink(target, scenario.Report(), error);
    // Windows grants symbolic links only with a privilege, and wine makes none.
    if (error) GTEST_SKIP() << "this system cannot create a symbolic link: " << error.message();
    WriteEarlierReport();
    ASSERT_TRUE(fs::is_symlink(scenario.Report()));
    EXPECT_EQ(txltest::ReadBytes(target), earlier);
    // Beside the target: the plug-in's copy, its configuration and the report, nothing more.
    EXPECT_EQ(txltest::FolderEntries(elsewhere.Path()).size(), 3u);
#if !defined(_WIN32)
    if (geteuid() != 0) return;
    ASSERT_EQ(lchown(scenario.Report().c_str(), 65534, 65534), 0);
    ASSERT_TRUE(scenario.Inspect());
    ExpectFailureKeptEarlierReport("Could not write diagnostic report");
#endif
}

// The file size limit makes the write fall short after the scratch file was created.
TEST_F(EarlierReport, AShortWriteLeavesNoScratchFile) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no file size limit to make a write fall short";
#else
    WriteEarlierReport();
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    bool ran = scenario.Inspect();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    ASSERT_TRUE(ran);
    ExpectFailureKeptEarlierReport("Could not write diagnostic report");
#endif
}

}  // namespace
