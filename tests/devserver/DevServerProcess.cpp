#include "devserver/DevServerProcess.h"

#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace txltest {
namespace {

std::vector<std::string> CommandLine(const std::vector<std::string>& arguments) {
    std::vector<std::string> line;
#ifdef TXL_DEVSERVER
    line.push_back(TXL_DEVSERVER);
#endif
    line.insert(line.end(), arguments.begin(), arguments.end());
    return line;
}

#if defined(_WIN32)
// Quoting by the rules the C runtime uses to split a command line back into arguments.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

HANDLE Inheritable(const std::filesystem::path& file, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(file.wstring().c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}
#endif

}  // namespace

#if defined(_WIN32)

ChildProcess::ChildProcess(const std::vector<std::string>& commandLine,
                           const std::filesystem::path& out, const std::filesystem::path& err)
    : out_(out), err_(err) {
    std::wstring line;
    for (const std::string& argument : commandLine) {
        std::wstring wide = std::filesystem::path(argument).wstring();
        if (line.empty()) wide = std::filesystem::path(argument).make_preferred().wstring();
        line += (line.empty() ? L"" : L" ") + Quoted(wide);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = Inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = Inheritable(out_, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = Inheritable(err_, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
    if (process_ == nullptr) return -1;
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        Kill();
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    process_ = nullptr;
    return static_cast<int>(code);
}

void ChildProcess::Kill() {
    if (process_ == nullptr) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, INFINITE);
    CloseHandle(process_);
    process_ = nullptr;
}

#else

ChildProcess::ChildProcess(const std::vector<std::string>& commandLine,
                           const std::filesystem::path& out, const std::filesystem::path& err)
    : out_(out), err_(err) {
    std::vector<std::string> argv = commandLine;
    std::vector<char*> raw;
    for (auto& argument : argv) raw.push_back(argument.data());
    raw.push_back(nullptr);
    std::string outPath = out_.string();
    std::string errPath = err_.string();
    pid_ = fork();
    if (pid_ == 0) {
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        execv(raw[0], raw.data());
        _exit(127);
    }
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    Kill();
    return -1;
}

void ChildProcess::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

#endif

ChildProcess::~ChildProcess() {
    Kill();
}

DevServerChild::DevServerChild(const std::vector<std::string>& arguments,
                               const std::filesystem::path& scratch)
    : ChildProcess(CommandLine(arguments), scratch / "devserver.out", scratch / "devserver.err") {}

int DevServerChild::WaitForRconPort() {
    static const std::regex listening(R"(rcon: listening on [^ ]*:(\d+)\s)");  // the whole line
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::smatch match;
        std::string err = Err();
        if (std::regex_search(err, match, listening)) return std::stoi(match[1]);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

DevServerRun RunDevServerScript(const std::filesystem::path& folder, const std::string& script,
                                std::vector<std::string> options) {
    WriteBytes(folder / "script.txt", script);
    options.insert(options.begin(),
                   {"--plugin-dir", folder.string(), "--script", (folder / "script.txt").string()});
    DevServerChild process(options, folder);
    const int exitCode = process.Wait(std::chrono::seconds(60));
    return {exitCode, process.Out(), process.Err()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

nlohmann::json FindStateItem(const nlohmann::json& state, int actor, const std::string& id) {
    for (const auto& entry : state["actors"])
        for (const auto& item : entry["items"])
            if (entry["id"] == actor && item["id"] == id) return item;
    return nullptr;
}

}  // namespace txltest
