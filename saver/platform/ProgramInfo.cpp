#include "ProgramInfo.h"

#include "common/AsciiCase.h"
#include "common/Utf8.h"

#include <filesystem>
#include <system_error>

namespace quillaro {
namespace {

// An unknown program folder gives no path at all, never one in the root folder.
std::string joinPath(const std::string& folder, const char* name) {
    if (folder.empty())
        return {};
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

} // namespace

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

std::string ModeLetter(std::string_view commandLine) {
    std::size_t second = characterOffset(commandLine, 2);
    if (second >= commandLine.size())
        return {};
    std::size_t third = characterOffset(commandLine, 3);
    std::string letter(commandLine.substr(second, third - second));
    return asciiUpper(letter);
}

std::string SettingsFilePath(const std::string& programFolder) {
    return joinPath(programFolder, SettingsFileName);
}

std::string RendererPath(const std::string& programFolder) {
    return joinPath(programFolder, RendererFileName);
}

std::string InstalledReadme(const std::string& programFolder) {
    if (programFolder.empty())
        return {};
    const std::filesystem::path folder(programFolder);
    for (const auto& candidate : {folder / "README.md", folder / ".." / ".." / "share" / "doc" /
                                                            "quillaro" / "README.md"}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate.lexically_normal().string();
    }
    return {};
}

} // namespace quillaro
