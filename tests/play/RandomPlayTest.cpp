#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "PlayGenerator.h"
#include "PlayRun.h"
#include "support/EmulatedServer.h"

// Random play against the model of what each root blueprint still allows. A few fixed seeds in
// the normal suite; TXL_PLAY_SECONDS=N plays fresh seeds for N seconds (TXL_PLAY_SEED picks the
// first). A broken rule fails with the shrunk dev-server script that replays it.
namespace {

constexpr std::size_t kActions = 40;
constexpr std::uint64_t kFixedSequences = 12;

std::uint64_t EnvironmentNumber(const char* name, std::uint64_t otherwise) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : otherwise;
}

TEST(RandomPlay, RootsNeverCraftPastTheirMaximumAndProcessorsKeepTheCaps) {
    txltest::EmulatedServer server;
    const std::uint64_t seconds = EnvironmentNumber("TXL_PLAY_SECONDS", 0);
    const std::uint64_t first =
        EnvironmentNumber("TXL_PLAY_SEED", seconds > 0 ? std::random_device()() : 1);
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::uint64_t sequences = 0;
    std::size_t lines = 0;
    std::set<std::string> kinds;  // each broken rule is shrunk and reported once
    for (std::uint64_t seed = first;; ++seed) {
        if (seconds == 0 ? sequences == kFixedSequences : elapsed() >= static_cast<double>(seconds))
            break;
        txlplay::SeededChoices choices(seed);
        const auto play = txlplay::GeneratePlay(choices, kActions);
        ++sequences;
        lines += play.size();
        const auto failure = txlplay::RunPlay(play);
        if (!failure || !kinds.insert(failure->kind).second) continue;
        const auto shrunk = txlplay::ShrinkPlay(play, *failure);
        const auto again = txlplay::RunPlay(shrunk);
        ADD_FAILURE() << "seed " << seed << ", " << failure->line + 1 << " lines shrunk to "
                      << shrunk.size() << ":\n"
                      << txlplay::PlayScript(shrunk, again ? *again : *failure);
    }
    const double took = elapsed();
    std::cout << "random play: " << sequences << " sequences, " << lines << " lines in " << took
              << " s (" << static_cast<double>(sequences) / took << " sequences/s, "
              << static_cast<double>(lines) / took << " lines/s), first seed " << first << "; "
              << kinds.size() << " rules broken\n";
}

// TXL_PLAY_SCRIPT=FILE checks a hand-written (or printed) dev-server script against the model.
TEST(RandomPlay, ScriptNamedByTheEnvironmentKeepsTheRules) {
    const char* file = std::getenv("TXL_PLAY_SCRIPT");
    if (file == nullptr) GTEST_SKIP() << "TXL_PLAY_SCRIPT names no script";
    txltest::EmulatedServer server;
    std::ifstream stream(file);
    ASSERT_TRUE(stream) << "cannot read " << file;
    std::vector<std::string> lines;
    for (std::string line; std::getline(stream, line);)
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    const auto failure = txlplay::RunPlay(lines);
    EXPECT_FALSE(failure) << "after line " << failure->line + 1 << ": " << failure->detail;
}

}  // namespace
