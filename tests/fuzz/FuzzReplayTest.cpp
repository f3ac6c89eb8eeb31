#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FuzzTargets.h"
#include "support/EmulatedServer.h"

// Every seed and every input a fuzzer once broke the code with, run through its target again.
// A broken invariant aborts the test's process.
namespace {

std::vector<std::filesystem::path> InputsOf(const std::string& target) {
    std::vector<std::filesystem::path> inputs;
    const std::filesystem::path root = std::filesystem::path(TXL_SOURCE_DIR) / "fuzz";
    for (const char* folder : {"corpus", "regressions"}) {
        const std::filesystem::path directory = root / folder / target;
        if (!std::filesystem::is_directory(directory)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(directory)) {
            if (entry.is_regular_file() && entry.path().filename() != ".gitkeep")
                inputs.push_back(entry.path());
        }
    }
    return inputs;
}

class FuzzReplayTest : public ::testing::TestWithParam<txlfuzz::FuzzTarget> {};

TEST_P(FuzzReplayTest, SavedInputsKeepEveryInvariant) {
    txltest::EmulatedServer server;
    const auto inputs = InputsOf(GetParam().Name);
    EXPECT_FALSE(inputs.empty()) << "no seed corpus for " << GetParam().Name;
    for (const auto& path : inputs) {
        SCOPED_TRACE(path.string());
        const std::string bytes = txltest::ReadBytes(path);
        EXPECT_EQ(
            GetParam().Entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, ::testing::ValuesIn(txlfuzz::kFuzzTargets),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
