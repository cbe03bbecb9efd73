#include "Usage.h"

#include "platform/ProgramInfo.h"

namespace quillaro {
namespace {

constexpr const char* Modes =
    "Quillaro.scr: a 3D screen saver for X11 desktops.\n"
    "\n"
    "Usage: Quillaro.scr [/s | /c | /p N]\n"
    "  /s      a full run: spinning solids over a mirrored floor that carries the desktop\n"
    "          (or your picture), with music if chosen; the pointer is hidden, Escape ends it\n"
    "  (none)  the same run with the pointer left visible\n"
    "  /c      the settings dialog: the picture and the background music\n"
    "  /p N    a still preview inside the X window whose id is N (decimal), until that\n"
    "          window is destroyed\n"
    "\n"
    "Quillaro is not a screen lock: after Escape the desktop is open to whoever sits there.\n";

} // namespace

bool AsksForUsage(std::string_view commandLine) {
    return commandLine == "--help" || commandLine == "-h";
}

std::string UsageText(const std::string& programFolder, const SettingsLocation& location) {
    std::string text = Modes;
    text += "\nSettings: " +
            (location.writeFile.empty() ? std::string("none (the program's folder is unknown)")
                                        : location.writeFile) +
            "\n";
    if (!location.readFile.empty() && location.readFile != location.writeFile)
        text += "          read from " + location.readFile + " until the dialog saves yours\n";
    if (const std::string readme = InstalledReadme(programFolder); !readme.empty())
        text += "Read me:  " + readme + "\n";
    return text;
}

} // namespace quillaro
