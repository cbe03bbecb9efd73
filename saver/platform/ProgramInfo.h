// What the saver knows about its own start: the folder it was started from and its command line,
// the mode letter read from that line, and the files that lie beside the program.
#pragma once

#include "common/ProgramNames.h"

#include <string>
#include <string_view>

namespace quillaro {

inline constexpr const char* SettingsFileName = "Quillaro.ini";

struct ProgramInfo {
    std::string folder;      // holds the saver program; no trailing '/' except for the root
    std::string commandLine; // the arguments after the program name, unparsed
};

// The folder of the running program, from /proc/self/exe; empty when that cannot be read.
std::string programFolder();

// argv[1..] joined with single blanks: the command line as one text, the way the screen-saver
// modes expect it ("/p 1234" arrives as two arguments and reads back as one text).
std::string commandLineFrom(int argc, const char* const* argv);

// The second character of the command line in upper case, or empty when there is none.
std::string ModeLetter(std::string_view commandLine);

// programFolder + "/Quillaro.ini" and programFolder + "/Quillaro.dll"; empty when the program
// folder is unknown.
std::string SettingsFilePath(const std::string& programFolder);
std::string RendererPath(const std::string& programFolder);

// The README installed with the program in programFolder: beside the programs in a folder
// install, with the package's documents (../../share/doc/quillaro) otherwise; empty when there
// is none.
std::string InstalledReadme(const std::string& programFolder);

} // namespace quillaro
