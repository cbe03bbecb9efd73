// Starts a program for a test and makes sure it is gone when the test ends, whatever happens.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillaro::test {

struct ProcessOptions {
    std::vector<std::string> args;             // without the program name
    std::map<std::string, std::string> setEnv; // added to, or replacing, the test's own
    std::vector<std::string> unsetEnv;         // removed from the test's own
    std::filesystem::path workDir;             // empty: the test's own
    std::filesystem::path stdoutFile;          // empty: inherited
    std::filesystem::path stderrFile;          // empty: inherited
};

struct ExitStatus {
    bool exited = false; // true: ended by exit(), code holds its value
    int code = -1;
    int signal = 0; // the signal that ended it, when !exited
};

class ChildProcess {
public:
    ChildProcess(const std::filesystem::path& program, const ProcessOptions& options = {});
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // The exit status once the process has ended within the time given, else nothing.
    std::optional<ExitStatus> waitFor(std::chrono::milliseconds timeout);
    bool running();
    void signal(int sig);

private:
    pid_t pid_ = -1;
    std::optional<ExitStatus> status_;
};

// Runs a program to its end (at most the time given) and returns what it wrote on stdout.
// Throws when it cannot be started or does not end in time.
std::string runAndCapture(const std::filesystem::path& program, const ProcessOptions& options,
                          std::chrono::milliseconds timeout = std::chrono::seconds(20),
                          ExitStatus* status = nullptr);

} // namespace quillaro::test
