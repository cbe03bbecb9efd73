// Starts a program detached from the saver: the saver never waits for it and never has to
// reap it, because the program is handed to the system's reaper through a double fork.
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
