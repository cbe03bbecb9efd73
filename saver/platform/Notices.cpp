#include "Notices.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quillaro {

void reportProblem(std::string_view sentence) {
    // One write per line, so lines of the saver and the renderer never interleave mid-line.
    const std::string line = "Quillaro.scr: " + std::string(sentence) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void reportFallback(std::string_view sentence) {
    if (reportsFallbacks())
        reportProblem(sentence);
}

bool reportsFallbacks() {
    const char* value = std::getenv(VerboseVariable);
    return value && std::string_view(value) == "1";
}

} // namespace quillaro
