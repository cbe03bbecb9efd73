// Starts a program detached from the saver: the saver never waits for it and never has to
// reap it, because the program is handed to the system's reaper through a double fork. Each
// program's start time is kept with its process id, so a stop never reaches another process
// that has come to have the same id.
#pragma once

#include "ProgramStarter.h"

#include <map>

namespace quillaro {

class DetachedProgramStarter : public ProgramStarter {
public:
    std::optional<std::int64_t> startProgram(const std::filesystem::path& program,
                                             const std::vector<std::string>& args) override;
    bool isRunning(std::int64_t pid) override;
    void stopProgram(std::int64_t pid) override;

private:
    std::map<std::int64_t, unsigned long long> startTimes_; // in clock ticks after boot
};

} // namespace quillaro
