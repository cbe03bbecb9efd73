// Starts a program detached from the saver: in a process group of its own, with the signals as a
// new program has them, and without waiting for it. The program is spawned without copying the
// saver's memory (a fork of the saver and then of that copy, as a double fork does, took 10 to
// 20 ms of the renderer's start); a thread of the saver waits for its end at once, so it is never
// left as the saver's zombie, and if the saver ends first the system adopts it.
// Each program's start time is kept with its process id, so that a stop never reaches another
// process that has come to have the same id once the program has been reaped.
#pragma once

#include "ProgramStarter.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

namespace quillaro {

class DetachedProgramStarter : public ProgramStarter {
public:
    std::optional<std::int64_t> startProgram(const std::filesystem::path& program,
                                             const std::vector<std::string>& args) override;
    bool isRunning(std::int64_t pid) override;
    void stopProgram(std::int64_t pid) override;
    std::optional<int> waitStatus(std::int64_t pid) override;

private:
    // The wait statuses the waiting threads found; shared with them, as they may outlive this.
    struct Endings {
        std::mutex mutex;
        std::condition_variable changed;
        std::map<std::int64_t, int> statuses;
    };
    std::shared_ptr<Endings> endings_ = std::make_shared<Endings>();
    std::map<std::int64_t, unsigned long long> startTimes_; // in clock ticks after boot
};

} // namespace quillaro
