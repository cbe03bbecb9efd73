#include "ChildProcess.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace quillaro::test {
namespace {

std::vector<std::string> buildEnvironment(const ProcessOptions& options) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        bool dropped = options.setEnv.count(name) ||
                       std::find(options.unsetEnv.begin(), options.unsetEnv.end(), name) !=
                           options.unsetEnv.end();
        if (!dropped)
            env.push_back(std::move(entry));
    }
    for (const auto& [name, value] : options.setEnv)
        env.push_back(name + "=" + value);
    return env;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (auto& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

ExitStatus decode(int raw) {
    ExitStatus s;
    if (WIFEXITED(raw)) {
        s.exited = true;
        s.code = WEXITSTATUS(raw);
    } else if (WIFSIGNALED(raw)) {
        s.signal = WTERMSIG(raw);
    }
    return s;
}

} // namespace

ChildProcess::ChildProcess(const std::filesystem::path& program, const ProcessOptions& options) {
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), options.args.begin(), options.args.end());
    auto env = buildEnvironment(options);
    auto argvPtrs = pointersTo(argv);
    auto envPtrs = pointersTo(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.stdoutFile.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.stdoutFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!options.stderrFile.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, options.stderrFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!options.workDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.workDir.c_str());
    // Its own process group, so a test can end the program and the children that stay in its
    // group at once (a program started detached, in a session of its own, is not among them).
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);

    int rc = posix_spawnp(&pid_, argv[0].c_str(), &actions, &attr, argvPtrs.data(), envPtrs.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + program.string());
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), status_(other.status_) {}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_) {
        ::kill(-pid_, SIGKILL);
        ::kill(pid_, SIGKILL);
        int raw = 0;
        waitpid(pid_, &raw, 0);
    }
}

std::optional<ExitStatus> ChildProcess::waitFor(std::chrono::milliseconds timeout) {
    if (status_ || pid_ <= 0)
        return status_;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int raw = 0;
        pid_t r = waitpid(pid_, &raw, WNOHANG);
        if (r == pid_) {
            status_ = decode(raw);
            return status_;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool ChildProcess::running() {
    return !waitFor(std::chrono::milliseconds(0));
}

void ChildProcess::signal(int sig) {
    if (pid_ > 0 && !status_)
        ::kill(pid_, sig);
}

std::string runAndCapture(const std::filesystem::path& program, const ProcessOptions& options,
                          std::chrono::milliseconds timeout, ExitStatus* status) {
    char name[] = "/tmp/quillaro-capture-XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    close(fd);
    ProcessOptions withOutput = options;
    withOutput.stdoutFile = name;
    ChildProcess child(program, withOutput);
    auto result = child.waitFor(timeout);
    std::ifstream in(name);
    std::stringstream text;
    text << in.rdbuf();
    unlink(name);
    if (!result)
        throw std::runtime_error(program.string() + " did not end in time");
    if (status)
        *status = *result;
    return text.str();
}

} // namespace quillaro::test
