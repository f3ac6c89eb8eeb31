#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Random play: sequences of dev-server command lines, as players and administrators would type
// them on the default world.
namespace txlplay {

// Where the generator's choices come from: a seeded generator, or a fuzzer's bytes.
class Choices {
  public:
    virtual ~Choices() = default;
    // 0 to count - 1.
    virtual unsigned Pick(unsigned count) = 0;
};

class SeededChoices : public Choices {
  public:
    explicit SeededChoices(std::uint64_t seed) : engine_(seed) {}
    unsigned Pick(unsigned count) override {
        return count == 0 ? 0 : static_cast<unsigned>(engine_() % count);
    }

  private:
    std::mt19937_64 engine_;
};

// `length` actions; an action may take two lines (a config write and the reload that reads it).
std::vector<std::string> GeneratePlay(Choices& choices, std::size_t length);

}  // namespace txlplay
