#include <algorithm>
#include <cstdio>

#include "ByteReader.h"
#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "PlayGenerator.h"
#include "PlayRun.h"

// Random play with the mutator choosing: the input's bytes make the generator's choices, so
// every input is a sequence of player and administrator commands on the default world. A root
// blueprint and its copies never craft past its maximum, its counter never goes down, and every
// processor keeps the caps after an enforcement; a broken rule prints the shrunk dev-server
// script that replays it.
namespace txlfuzz {
namespace {

constexpr std::size_t kMaxActions = 48;

class ByteChoices : public txlplay::Choices {
  public:
    explicit ByteChoices(ByteReader& reader) : reader_(reader) {}
    unsigned Pick(unsigned count) override {
        // Two bytes, so that a choice among more than 256 is reachable too.
        const unsigned value = reader_.Byte() | (static_cast<unsigned>(reader_.Byte()) << 8);
        return count == 0 ? 0 : value % count;
    }

  private:
    ByteReader& reader_;
};

}  // namespace

int FuzzRandomPlay(const std::uint8_t* data, std::size_t size) {
    ByteReader reader(data, size);
    ByteChoices choices(reader);
    // About one action for every eight bytes.
    const std::size_t actions = std::min(kMaxActions, 1 + size / 8);
    const std::vector<std::string> lines = txlplay::GeneratePlay(choices, actions);
    if (auto failure = txlplay::RunPlay(lines)) {
        auto shrunk = txlplay::ShrinkPlay(lines, *failure);
        auto again = txlplay::RunPlay(shrunk);
        std::fprintf(stderr, "%s", txlplay::PlayScript(shrunk, again ? *again : *failure).c_str());
        TXL_FUZZ_CHECK(!"random play broke a rule");
    }
    return 0;
}

}  // namespace txlfuzz
