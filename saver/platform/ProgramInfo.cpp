#include "ProgramInfo.h"

#include <filesystem>
#include <system_error>

namespace quillaro {

std::string programFolder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !exe.is_absolute())
        return {};
    return exe.parent_path().string();
}

std::string commandLineFrom(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

} // namespace quillaro
