#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/CapturingSink.h"
#include "support/EmulatedServer.h"

namespace txltest {

struct DevServerRun {
    int exitCode = -1;
    std::string out;  // replies
    std::string err;  // log lines and start-up errors
};

// Writes `script` into `folder`, then runs the built txl-devserver on it and the plug-in there,
// with `options` (which win over those two), standard input empty.
DevServerRun RunDevServerScript(const std::filesystem::path& folder, const std::string& script,
                                std::vector<std::string> options = {});

// The lines of `text`, without their line ends (LF or CRLF).
std::vector<std::string> Lines(const std::string& text);

// A program running in the background, standard input empty and its output streams in files,
// until it ends; killed if still running when this goes.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& commandLine, const std::filesystem::path& out,
                 const std::filesystem::path& err);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit code once it has ended within `timeout`; -1 when it has not (it is then killed)
    // or when a signal ended it.
    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    std::string Out() const { return ReadBytes(out_); }
    std::string Err() const { return ReadBytes(err_); }

  private:
    void Kill();

    std::filesystem::path out_;
    std::filesystem::path err_;
#if defined(_WIN32)
    void* process_ = nullptr;
#else
    int pid_ = -1;
#endif
};

// The built txl-devserver with `arguments`, its output in `scratch`/devserver.out and .err.
class DevServerChild : public ChildProcess {
  public:
    DevServerChild(const std::vector<std::string>& arguments, const std::filesystem::path& scratch);

    // The RCON port from the listener's start-up line; 0 when it did not come within seconds.
    int WaitForRconPort();
};

// The item `id` ("A:B") of actor `actor` in a `state` reply, or null when there is none.
nlohmann::json FindStateItem(const nlohmann::json& state, int actor, const std::string& id);

}  // namespace txltest
