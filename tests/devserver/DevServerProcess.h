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

// The built txl-devserver running in the background, standard input from /dev/null and
// standard error to `scratch`/devserver.err, until stopped by a signal or by itself.
class DevServerChild {
  public:
    DevServerChild(const std::vector<std::string>& arguments, const std::filesystem::path& scratch);
    ~DevServerChild();
    DevServerChild(const DevServerChild&) = delete;
    DevServerChild& operator=(const DevServerChild&) = delete;

    // The RCON port from the listener's start-up line; 0 when it did not come within seconds.
    int WaitForRconPort();
    // Sends `signal` and waits (bounded) for the exit; the exit code, or -1.
    int Stop(int signal);
    std::string Err() const;

  private:
    int pid_ = -1;
    std::filesystem::path err_;
};

}  // namespace txltest
