// Starting another program (the renderer) without waiting for it, and telling later whether it
// is still there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillaro {

class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Starts program with args and returns its process id at once; nothing when it could not be
    // started. The started program is never left behind as a zombie of the saver.
    virtual std::optional<std::int64_t> startProgram(const std::filesystem::path& program,
                                                     const std::vector<std::string>& args) = 0;
    // True while the program started under that process id has not ended.
    virtual bool isRunning(std::int64_t pid) = 0;
    // How the program started under that process id ended, as waitpid tells it; nothing while
    // it runs or when that is not known.
    virtual std::optional<int> waitStatus(std::int64_t pid) = 0;
    // Asks the program started under that process id to end, as log-out asks every program;
    // nothing when it has ended already (its id may since name another process).
    virtual void stopProgram(std::int64_t pid) = 0;
};

// True for a wait status of a program that ended by itself with exit code 0.
bool endedCleanly(int waitStatus);
// A wait status in words: "exit status 3", "signal 11 (Segmentation fault)".
std::string describeEnding(int waitStatus);

} // namespace quillaro
