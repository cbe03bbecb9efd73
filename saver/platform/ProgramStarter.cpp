#include "ProgramStarter.h"

#include <cstring>
#include <sys/wait.h>

namespace quillaro {

bool endedCleanly(int waitStatus) {
    return WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0;
}

std::string describeEnding(int waitStatus) {
    if (WIFSIGNALED(waitStatus))
        return "signal " + std::to_string(WTERMSIG(waitStatus)) + " (" +
               strsignal(WTERMSIG(waitStatus)) + ")";
    return "exit status " + std::to_string(WEXITSTATUS(waitStatus));
}

} // namespace quillaro
