// What the saver knows about its own start: the folder it was started from and its command line.
#pragma once

#include <string>

namespace quillaro {

struct ProgramInfo {
    std::string folder;      // holds the saver program; no trailing '/' except for the root
    std::string commandLine; // the arguments after the program name, unparsed
};

// The folder of the running program, from /proc/self/exe; empty when that cannot be read.
std::string programFolder();

// argv[1..] joined with single blanks: the command line as one text, the way the screen-saver
// modes expect it ("/p 1234" arrives as two arguments and reads back as one text).
std::string commandLineFrom(int argc, const char* const* argv);

} // namespace quillaro
