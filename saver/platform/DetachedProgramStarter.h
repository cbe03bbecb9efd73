// Starts a program detached from the saver: in a process group of its own, with the signals as a
// new program has them, and without waiting for it. The program is spawned without copying the
// saver's memory (a fork of the saver and then of that copy, as a double fork does, took 10 to
// 20 ms of the renderer's start); a thread of the saver waits for its end at once, so it is never
// left as the saver's zombie, and if the saver ends first the system adopts it.
#pragma once

#include "ProgramStarter.h"

namespace quillaro {

class DetachedProgramStarter : public ProgramStarter {
public:
    std::optional<std::int64_t> startProgram(const std::filesystem::path& program,
                                             const std::vector<std::string>& args) override;
    bool isRunning(std::int64_t pid) override;
};

} // namespace quillaro
