// A run (/s, or no mode at all) as the program starts it: the guard, the working folder, the
// settings, the renderer check, the picture and the hand-off file, and the renderer's start,
// all with Xlib and plain system calls; only then the toolkit, for the run form, its timers and
// the music. Bringing the toolkit up first kept the renderer waiting for it.
#pragma once

#include "platform/ProgramInfo.h"

#include <string>

namespace quillaro {

// True for the command lines that start a run; a display-mode run is not one of them.
bool StartsRun(const std::string& commandLine);

// Runs the saver for such a command line until the run ends; returns the exit code. argc and
// argv are what the toolkit gets, and must outlive the call.
int RunSaver(const ProgramInfo& program, int& argc, char** argv);

} // namespace quillaro
