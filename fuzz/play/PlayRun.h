#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace txlplay {

struct PlayFailure {
    std::size_t line = 0;  // index of the line after which the rule broke
    std::string kind;      // which rule, for keeping the same failure while shrinking
    std::string detail;
};

// The lines every run starts with, so that a printed script finds the same settings in any
// plug-in folder.
const std::vector<std::string>& PlayPreamble();

// Runs the lines through the dev server's interpreter on its default world, with the plug-in in
// place (in this process, as the dev server target does), and checks the model after each line.
std::optional<PlayFailure> RunPlay(const std::vector<std::string>& lines);

// Drops chunks, then single lines, for as long as the same rule still breaks.
std::vector<std::string> ShrinkPlay(std::vector<std::string> lines, const PlayFailure& failure);

// A dev-server script (`txl-devserver --script FILE`) that replays the failure.
std::string PlayScript(const std::vector<std::string>& lines, const PlayFailure& failure);

}  // namespace txlplay
