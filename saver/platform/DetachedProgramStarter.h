// Starts a program detached from the saver: in a process group of its own, with the signals as a
// new program has them, and without waiting for it. The program is spawned without copying the
// saver's memory (a fork of the saver and then of that copy, as a double fork does, took 10 to
// 20 ms of the renderer's start); a thread of the saver waits for its end at once, so it is never
// left as the saver's zombie, and if the saver ends first the system adopts it.
// Each program's start time is kept with its process id, so that a stop never reaches another
// process that has come to have the same id once the program has been reaped.
#pragma once

#include "ProgramStarter.h"

#include <initializer_list>
#include <map>

namespace quillaro {

class DetachedProgramStarter : public ProgramStarter {
public:
    std::optional<std::int64_t> startProgram(const std::filesystem::path& program,
                                             const std::vector<std::string>& args) override;
    bool isRunning(std::int64_t pid) override;
    void stopProgram(std::int64_t pid) override;
    void killProgram(std::int64_t pid) override;

private:
    // Sends the signals to the program started under that id while it is still that program.
    void signalProgram(std::int64_t pid, std::initializer_list<int> sent);

    std::map<std::int64_t, unsigned long long> startTimes_; // in clock ticks after boot
};

} // namespace quillaro
