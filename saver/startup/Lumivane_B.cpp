#include "Lumivane_B.h"

#include "DisplayMode.h"
#include "common/HandoffPath.h"
#include "common/Utf8.h"
#include "dialog/Lumivane_P.h"
#include "platform/Notices.h"
#include "run/Lumivane_S.h"
#include "settings/Conversions.h"
#include "settings/SettingsFile.h"

#include <cstdlib>

namespace quillaro {
namespace {

constexpr std::size_t PreviewHandleStart = 4; // "/p N": the number starts at the fourth character

LoadedForm endHere(SaverServices& services, int exitCode) {
    services.end.endProgram(exitCode);
    return nullptr;
}

// A form that a unit handed back keeps the program alive; none means nothing will end it.
LoadedForm keepOrEnd(SaverServices& services, LoadedForm form) {
    if (!form)
        services.end.endProgram(ExitQuietly);
    return form;
}

// What every mode but the preview does first: the working folder, the settings, and the check
// that the renderer is there. False, said on standard error, when it is not.
bool prepareSaver(SaverServices& services) {
    // A folder that cannot be made is no reason to stop: the run form tries again before it
    // writes the picture, and says why it cannot.
    static_cast<void>(services.createPrivateFolder(workingFolder()));
    LoadSettings(services.program.folder);
    const std::string renderer = RendererPath(services.program.folder);
    if (FileExists(renderer))
        return true;
    reportProblem("the renderer " + renderer + " was not found beside the saver");
    return false;
}

// A copy that a screen-saver daemon runs on one of its monitors: no guard (the other monitors'
// copies run at the same time), no cursor (the daemon hides it) and no message box (nobody
// could see it under the daemon's windows).
LoadedForm displayMain(SaverServices& services, const Handovers& handovers, WindowId window) {
    if (window == 0) {
        reportProblem("no window to run in: --root needs $XSCREENSAVER_WINDOW, --window-id a "
                      "window id in decimal or 0x hex");
        return endHere(services, ExitQuietly);
    }
    if (!prepareSaver(services))
        return endHere(services, ExitRendererMissing);
    if (!handovers.displayRun)
        return endHere(services, ExitQuietly);
    return keepOrEnd(services, handovers.displayRun(services, window));
}

} // namespace

std::int32_t PreviewHandle(std::string_view commandLine) {
    auto value = valueOf(commandLine.substr(characterOffset(commandLine, PreviewHandleStart)));
    if (!value)
        return 0;
    return roundToInt32(*value).value_or(0);
}

LoadedForm Main(SaverServices& services, const Handovers& handovers) {
    if (auto window =
            DisplayModeWindow(services.program.commandLine, std::getenv("XSCREENSAVER_WINDOW")))
        return displayMain(services, handovers, *window);

    // Another instance's run form or settings dialog: leave it alone. Both are looked up.
    bool runUp = services.windows.findWindow(RunFormTitle) != 0;
    bool dialogUp = services.windows.findWindow(SettingsDialogTitle) != 0;
    if (runUp || dialogUp) {
        // Quiet by default, as a launcher's repeated start must be; told when asked.
        reportFallback(std::string(runUp ? "a run" : "the settings dialog") +
                       " is already up (window \"" + (runUp ? RunFormTitle : SettingsDialogTitle) +
                       "\"); this start ends");
        return endHere(services, ExitQuietly);
    }

    const std::string& commandLine = services.program.commandLine;
    const std::string mode = ModeLetter(commandLine);

    if (mode == "P") {
        std::int32_t handle = PreviewHandle(commandLine);
        if (!handovers.preview)
            return endHere(services, ExitQuietly);
        return keepOrEnd(services, handovers.preview(services, handle));
    }

    if (!prepareSaver(services)) {
        services.messages.showMessage(MessageCaption, RendererMissingMessage);
        return endHere(services, ExitRendererMissing);
    }

    if (mode == "C") {
        if (handovers.settingsDialog)
            handovers.settingsDialog(services);
        return endHere(services, ExitQuietly);
    }

    if (mode != "S" && !commandLine.empty())
        return endHere(services, ExitQuietly);

    // Only a run started as /s hides the cursor; its teardown gives it back.
    if (mode == "S")
        CursorCount() = services.cursor.showCursor(false);

    if (!handovers.run)
        return endHere(services, ExitQuietly);
    return keepOrEnd(services, handovers.run(services));
}

} // namespace quillaro
