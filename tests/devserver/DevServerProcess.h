#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

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

std::string ReadTextFile(const std::filesystem::path& file);
void WriteTextFile(const std::filesystem::path& file, const std::string& text);
// The lines of `text`, without their line ends (LF or CRLF).
std::vector<std::string> Lines(const std::string& text);
inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The built txl-devserver running in the background, standard input empty and its output
// streams in `scratch`/devserver.out and .err, until it ends; killed if still running when this
// goes.
class DevServerChild {
  public:
    DevServerChild(const std::vector<std::string>& arguments, const std::filesystem::path& scratch);
    ~DevServerChild();
    DevServerChild(const DevServerChild&) = delete;
    DevServerChild& operator=(const DevServerChild&) = delete;

    // The RCON port from the listener's start-up line; 0 when it did not come within seconds.
    int WaitForRconPort();
    // The exit code once it has ended within `timeout`; -1 when it has not (it is then killed)
    // or when a signal ended it.
    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    std::string Out() const { return ReadTextFile(out_); }
    std::string Err() const { return ReadTextFile(err_); }

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

// The item `id` ("A:B") of actor `actor` in a `state` reply, or null when there is none.
nlohmann::json FindStateItem(const nlohmann::json& state, int actor, const std::string& id);

}  // namespace txltest
