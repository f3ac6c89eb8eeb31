#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace txltest {

struct DevServerRun {
    int exitCode = -1;
    std::string out;  // replies
    std::string err;  // log lines and start-up errors
};

// Runs the built txl-devserver with `arguments`, standard input from /dev/null, capturing both
// output streams through files in `scratch`.
DevServerRun RunDevServerProcess(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& scratch);

std::string ReadTextFile(const std::filesystem::path& file);
void WriteTextFile(const std::filesystem::path& file, const std::string& text);
// The lines of `text`, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace txltest
