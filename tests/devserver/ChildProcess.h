#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace txltest {

// A program started with standard input empty and its two output streams in files, which the
// test may read while it runs. Killed if still running when this goes.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& commandLine, const std::filesystem::path& out,
                 const std::filesystem::path& err);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const;
    // The exit code once it has ended within `timeout`; -1 when it has not (it is then killed)
    // or when a signal ended it.
    int Wait(std::chrono::milliseconds timeout);
    // Asks it to stop as a terminal would: SIGTERM. False where there is no such signal.
    bool RequestStop();

  private:
    void Kill();

#if defined(_WIN32)
    void* process_ = nullptr;
#else
    int pid_ = -1;
#endif
};

}  // namespace txltest
