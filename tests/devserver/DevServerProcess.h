#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "devserver/ChildProcess.h"

namespace txltest {

struct DevServerRun {
    int exitCode = -1;
    std::string out;  // replies
    std::string err;  // log lines and start-up errors
};

// Runs the built txl-devserver with `arguments`, standard input empty, capturing both output
// streams through files in `scratch`.
DevServerRun RunDevServerProcess(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& scratch);

std::string ReadTextFile(const std::filesystem::path& file);
void WriteTextFile(const std::filesystem::path& file, const std::string& text);
// The lines of `text`, without their line ends (LF or CRLF).
std::vector<std::string> Lines(const std::string& text);

// The built txl-devserver running in the background, standard input empty and standard error to
// `scratch`/devserver-child.err, until stopped by a signal or by itself.
class DevServerChild {
  public:
    DevServerChild(const std::vector<std::string>& arguments, const std::filesystem::path& scratch);
    ~DevServerChild();
    DevServerChild(const DevServerChild&) = delete;
    DevServerChild& operator=(const DevServerChild&) = delete;

    // The RCON port from the listener's start-up line; 0 when it did not come within seconds.
    int WaitForRconPort();
    // Waits (bounded) for the exit; the exit code, or -1.
    int Wait();
    // SIGTERM, then Wait(); -1 where there is no such signal.
    int Stop();
    std::string Err() const;

  private:
    std::filesystem::path err_;
    std::unique_ptr<ChildProcess> process_;
};

// The item `id` ("A:B") of actor `actor` in a `state` reply, or null when there is none.
nlohmann::json FindStateItem(const nlohmann::json& state, int actor, const std::string& id);

}  // namespace txltest
