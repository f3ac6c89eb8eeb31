#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "faults/FaultScenario.h"

// Every game name the plug-in resolves is failed in turn while the whole server runs: its
// resolution fails, a function's calls throw, a hook's install is refused. An exception that
// reached a game or host frame would end this process; what remains to check is that the
// plug-in said so once per failure, switched itself off only at its three boundaries, came back
// once the fault cleared, and left no engine buffer behind.
namespace {

using txltest::Contains;
using txltest::FaultMode;
using txltest::FaultStart;
using txltest::NameFault;
using txltest::RunFaultScenario;
using txltest::ScenarioOutcome;

const std::string kApplied = "Thalassovex limits applied and replicated to loaded animals";
const std::string kApplyFailed = "Thalassovex apply failed; check API log";
const std::string kDisabled = "Thalassovex disabled; check API log";
const std::string kInitFailed = "Thalassovex limiter initialization failed: ";

bool SwitchesOff(const std::string& line) {
    for (const char* boundary : {"Thalassovex limiter disabled after runtime error: ",
                                 "Thalassovex conversion enforcement failed: ",
                                 "Thalassovex timer disabled after runtime error: "}) {
        if (line.rfind(boundary, 0) == 0) return true;
    }
    return false;
}

std::size_t IndexOf(const std::string& command) {
    const auto& script = txltest::FaultScript();
    return static_cast<std::size_t>(std::find(script.begin(), script.end(), command) -
                                    script.begin());
}

std::vector<std::string> AllErrors(const ScenarioOutcome& outcome) {
    std::vector<std::string> lines;
    for (const auto& step : outcome.ErrorsByStep)
        lines.insert(lines.end(), step.begin(), step.end());
    return lines;
}

// A plug-in that started and met the fault while it ran.
void ExpectContainedAtRunTime(const NameFault& fault, const ScenarioOutcome& outcome) {
    const auto errors = AllErrors(outcome);
    ASSERT_GE(outcome.HostFailures, 1u) << "the scenario never uses it";
    EXPECT_EQ(errors.size(), outcome.HostFailures) << "one line per failure";
    for (const auto& line : errors) EXPECT_TRUE(Contains(line, HostFailureLine(fault))) << line;
    EXPECT_EQ(outcome.HooksAtEnd, outcome.HooksAfterLoad) << "torn down by a run-time fault";

    // The last apply runs under the fault. Its answer needs an engine string and SendMessage;
    // when its own walk fails it says so; otherwise it tells the switch, which is off exactly
    // when a boundary that owns it reported since the script's reload turned it on again.
    bool off = false;
    for (std::size_t step = IndexOf("TXL.Reload") + 1; step < outcome.ErrorsByStep.size(); ++step) {
        for (const auto& line : outcome.ErrorsByStep[step]) off = off || SwitchesOff(line);
    }
    bool ownFailure = false;
    for (const auto& line : outcome.ErrorsByStep.back())
        ownFailure = ownFailure || line.rfind("Thalassovex hook failed: ", 0) == 0;
    const bool unanswerable = Contains(fault.Name, "RCONClientConnection.SendMessage") ||
                              Contains(fault.Name, "FMemory.Malloc");
    const std::string& lastApply = outcome.Replies.back();
    if (unanswerable) {
        EXPECT_EQ(lastApply, "");
    } else if (ownFailure) {
        EXPECT_EQ(lastApply, kApplyFailed);
    } else {
        EXPECT_EQ(lastApply, off ? kDisabled : kApplied);
    }
    EXPECT_EQ(outcome.ReloadAfterRecovery, kApplied);

    // A release the host refuses keeps that buffer; nothing else may stay.
    const bool releaseFails = fault.Name == "FMemory.Free(void*)";
    EXPECT_EQ(outcome.LeakedBuffers,
              releaseFails ? static_cast<long long>(outcome.HostFailures) : 0);
}

// A plug-in whose start the fault ended: one critical line, nothing left in place. A release
// that fails again while teardown removes the timer says so in a line of its own.
void ExpectInert(const std::string& cause, const ScenarioOutcome& outcome) {
    EXPECT_FALSE(outcome.Started);
    EXPECT_EQ(outcome.HooksAfterLoad, 0u);
    auto errors = AllErrors(outcome);
    const auto critical = std::find(errors.begin(), errors.end(), kInitFailed + cause);
    ASSERT_NE(critical, errors.end()) << errors.size();
    errors.erase(critical);
    for (const auto& line : errors) EXPECT_EQ(line, "Thalassovex teardown step failed: " + cause);
    EXPECT_EQ(outcome.Replies.back(), "error: unknown command 'Thalassovex.Apply' (type 'help')");
    const bool releaseFails = Contains(cause, "FMemory.Free");
    EXPECT_EQ(outcome.LeakedBuffers,
              releaseFails ? static_cast<long long>(outcome.HostFailures) : 0);
}

std::string TestName(const testing::TestParamInfo<NameFault>& info) {
    std::string name = txltest::Describe(info.param);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return std::to_string(info.index) + "_" + name;
}

TEST(FaultScenario, WithoutAFaultItRunsCleanAndEveryStepDoesItsWork) {
    auto outcome = RunFaultScenario(nullptr, FaultStart::BeforeLoad);
    EXPECT_TRUE(AllErrors(outcome).empty()) << AllErrors(outcome).front();
    EXPECT_EQ(outcome.HooksAfterLoad, 10u);
    const auto& replies = outcome.Replies;
    EXPECT_EQ(replies[IndexOf("levelup 1 11")], "refused; max -0.5");
    EXPECT_EQ(replies[IndexOf("craft 1 1:1 12")], "10");
    EXPECT_EQ(replies[IndexOf("craft 1 1:1 1")], "0");
    EXPECT_EQ(replies[IndexOf("craft 1 1:7 7")], "7");
    EXPECT_EQ(replies[IndexOf("Thalassovex.Inspect")],
              "Thalassovex runtime capture written to processor-runtime.json");
    EXPECT_EQ(replies.back(), kApplied);
    EXPECT_EQ(outcome.LeakedBuffers, 0);
}

class FaultMatrix : public testing::TestWithParam<NameFault> {};

TEST_P(FaultMatrix, TheServerGoesOnAndThePluginReportsEachFailureOnce) {
    const NameFault& fault = GetParam();
    if (fault.Mode == FaultMode::RefusedInstall) {
        auto outcome = RunFaultScenario(&fault, FaultStart::BeforeLoad);
        ExpectInert("Required processor observation hook failed", outcome);
    } else {
        ExpectContainedAtRunTime(fault, RunFaultScenario(&fault, FaultStart::AfterLoad));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryName, FaultMatrix, testing::ValuesIn(txltest::EveryNameFault()),
                         TestName);

// The same faults in force from before the load: a name the start-up needs ends it cleanly;
// any other is met at run time as above.
TEST(FaultMatrixAtStart, AStartThatMeetsTheFaultLeavesThePluginInertAndTheRestRuns) {
    std::size_t inert = 0;
    for (const NameFault& fault : txltest::EveryNameFault()) {
        if (fault.Mode == FaultMode::RefusedInstall) continue;
        SCOPED_TRACE(txltest::Describe(fault));
        auto outcome = RunFaultScenario(&fault, FaultStart::BeforeLoad);
        if (outcome.Started) {
            ExpectContainedAtRunTime(fault, outcome);
        } else {
            ++inert;
            ExpectInert(HostFailureLine(fault), outcome);
        }
    }
    // The start-up builds engine strings for the names it registers and gives their buffers back.
    EXPECT_EQ(inert, 4u);
}

}  // namespace
