#include "Usage.h"

#include "platform/ProgramInfo.h"

namespace quillaro {
namespace {

constexpr const char* Modes =
    "  /s      a full run: spinning solids over a mirrored floor that carries the desktop\n"
    "          (or your picture), with music if chosen; the pointer is hidden, Escape ends it\n"
    "  (none)  the same run with the pointer left visible\n"
    "  /c      the settings dialog: the picture and the background music\n"
    "  /p N    a still preview inside the X window whose id is N (decimal), until that\n"
    "          window is destroyed\n"
    "  --root  a run inside the window named by $XSCREENSAVER_WINDOW, as xscreensaver and\n"
    "          MATE's screen saver start display programs, one copy per monitor (-root too)\n"
    "  --window-id N\n"
    "          the same inside the X window N (decimal or 0x hex); SIGTERM or the window's\n"
    "          end stops it\n"
    "  --xscreensaver\n"
    "          adds Quillaro to your xscreensaver list (~/.xscreensaver), keeping the rest\n"
    "\n"
    "Quillaro is not a screen lock: after Escape the desktop is open to whoever sits there.\n";

} // namespace

bool AsksForUsage(std::string_view commandLine) {
    return commandLine == "--help" || commandLine == "-h";
}

bool AsksForVersion(std::string_view commandLine) {
    return commandLine == "--version";
}

std::string CommandName(const char* argv0) {
    const std::string name =
        argv0 ? std::filesystem::path(argv0).filename().string() : std::string();
    return name.empty() ? std::string("Quillaro.scr") : name;
}

std::string UsageText(const std::string& command, const std::string& programFolder,
                      const SettingsLocation& location) {
    std::string text = command + ": a 3D screen saver for X11 desktops.\n\nUsage: " + command +
                       " [/s | /c | /p N]\n" + std::string(7, ' ') + command +
                       " [--root | --window-id N | --xscreensaver]\n" + Modes;
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

std::string VersionText() {
    return "Quillaro " QUILLARO_VERSION "\n";
}

} // namespace quillaro
