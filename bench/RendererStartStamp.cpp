// Stands in for the renderer in the start-up benchmark: writes the moment it was started (the
// monotonic clock, in nanoseconds) to the file named by QUILLARO_START_STAMP, then ends.
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char* file = std::getenv("QUILLARO_START_STAMP");
    if (!file)
        return 1;
    std::FILE* out = std::fopen(file, "w");
    if (!out)
        return 1;
    std::fprintf(out, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    return std::fclose(out) == 0 ? 0 : 1;
}
