#include "DetachedProgramStarter.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace quillaro {
namespace {

// What the spawned program starts with: a process group of its own, no blocked signals and every
// signal at its default action, whatever the saver has blocked or ignored. A signal for the
// saver's group (Ctrl+C in a terminal, a kill of the group) so leaves the renderer alone. It
// stays in the saver's session on purpose: Linux schedules each session as a group of its own
// (autogroup), and a renderer alone in a new session got so much less of a busy machine that its
// first frame came about 50 ms later.
class SpawnAttributes {
public:
    SpawnAttributes() {
        posix_spawnattr_init(&attributes_);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setpgroup(&attributes_, 0);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                                   POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* get() const { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

struct ProcessStat {
    char state = 0;
    unsigned long long startTime = 0;
};

// The process's state and start time from the process table; nothing when it has gone.
std::optional<ProcessStat> readProcessStat(std::int64_t pid) {
    if (pid <= 0)
        return std::nullopt;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return std::nullopt;
    const std::size_t nameEnd = line.rfind(')'); // the name may hold blanks and brackets
    if (nameEnd == std::string::npos || nameEnd + 2 >= line.size())
        return std::nullopt;
    // After the name: the state (field 3), then fields 4 to 21, then the start time (field 22).
    std::istringstream fields(line.substr(nameEnd + 2));
    ProcessStat parsed;
    fields >> parsed.state;
    std::string skipped;
    for (int field = 4; field <= 21; ++field)
        fields >> skipped;
    if (!(fields >> parsed.startTime))
        return std::nullopt;
    return parsed;
}

// A process that has ended but not yet been reaped counts as ended.
bool running(const std::optional<ProcessStat>& stat) {
    return stat && stat->state != 'Z' && stat->state != 'X';
}

} // namespace

std::optional<std::int64_t>
DetachedProgramStarter::startProgram(const std::filesystem::path& program,
                                     const std::vector<std::string>& args) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    const SpawnAttributes attributes;
    pid_t pid = 0;
    // posix_spawn reports a program that cannot be executed, as the start must.
    if (posix_spawn(&pid, argv[0], nullptr, attributes.get(), argv.data(), environ) != 0)
        return std::nullopt;
    // Read before the program can be reaped: until then its entry stays, even once it has ended.
    if (auto stat = readProcessStat(pid))
        startTimes_[pid] = stat->startTime;
    std::thread([pid, endings = endings_] {
        int status = 0;
        pid_t waited;
        while ((waited = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
        }
        if (waited != pid)
            return;
        const std::lock_guard lock(endings->mutex);
        endings->statuses[pid] = status;
        endings->changed.notify_all();
    }).detach();
    return static_cast<std::int64_t>(pid);
}

bool DetachedProgramStarter::isRunning(std::int64_t pid) {
    // Only the thread that waits for the program reaps it; the process table tells the rest.
    return running(readProcessStat(pid));
}

std::optional<int> DetachedProgramStarter::waitStatus(std::int64_t pid) {
    if (isRunning(pid))
        return std::nullopt;
    // Ended but perhaps not yet reaped: its waiting thread is about to.
    std::unique_lock lock(endings_->mutex);
    const auto found = [&] { return endings_->statuses.contains(pid); };
    if (!endings_->changed.wait_for(lock, std::chrono::seconds(1), found))
        return std::nullopt;
    return endings_->statuses.at(pid);
}

void DetachedProgramStarter::stopProgram(std::int64_t pid) {
    // A stopped program acts on SIGTERM only once it goes on.
    signalProgram(pid, {SIGTERM, SIGCONT});
}

void DetachedProgramStarter::killProgram(std::int64_t pid) {
    signalProgram(pid, {SIGKILL});
}

void DetachedProgramStarter::signalProgram(std::int64_t pid, std::initializer_list<int> sent) {
    // Once reaped, the program's id may name another process: the start time tells them apart.
    const auto started = startTimes_.find(pid);
    if (started == startTimes_.end())
        return;
    const auto stat = readProcessStat(pid);
    if (!running(stat) || stat->startTime != started->second)
        return;
    for (int signal : sent)
        ::kill(static_cast<pid_t>(pid), signal);
}

} // namespace quillaro
