// Quillaro.scr, the saver program: checks that there is an X display to work on, sets up the
// toolkit and the platform services, and runs Main, which hands over to the preview, the
// settings dialog or the display-mode run plugged into the Handovers below. A run (/s, or no
// mode) starts its renderer before the toolkit is up, so it goes its own way (EarlyRun).
#include "DisplayMode.h"
#include "EarlyRun.h"
#include "Lumivane_B.h"
#include "Usage.h"
#include "XScreenSaverList.h"
#include "dialog/Lumivane_P.h"
#include "platform/DetachedProgramStarter.h"
#include "platform/DisplayCheck.h"
#include "platform/PrivateFolderCreator.h"
#include "platform/QtMessageBox.h"
#include "platform/QtProgramEnd.h"
#include "platform/XCursorDisplay.h"
#include "platform/XWindowLookup.h"
#include "preview/Lumivane_R.h"
#include "run/Lumivane_S.h"

#include <QApplication>
#include <cstdio>

namespace {

constexpr int ExitNoDisplay = 2;
char fallbackProgramName[] = "Quillaro.scr"; // for a start with an empty argument list

// Runs the event loop until the program's end. A display-mode run shows no window of its own
// (the renderer draws in the daemon's), so it goes without the accessibility bridge that
// QApplication::exec sets up: the bridge's session-bus connection would try to start a D-Bus
// daemon (dbus-launch) while the renderer is starting, and a started one would outlive the run.
int runLoop(const quillaro::ProgramInfo& program) {
    const bool displayRun = quillaro::DisplayModeWindow(program.commandLine, "").has_value();
    return displayRun ? QCoreApplication::exec() : QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    using namespace quillaro;

    // The saver's arguments are its mode, never toolkit options: Qt sees the program name only.
    const ProgramInfo program{programFolder(), commandLineFrom(argc, argv)};
    if (AsksForUsage(program.commandLine)) {
        const std::string command = CommandName(argc > 0 ? argv[0] : nullptr);
        std::fputs(UsageText(command, program.folder, locateSettings(program.folder)).c_str(),
                   stdout);
        return 0;
    }
    if (AsksForVersion(program.commandLine)) {
        std::fputs(VersionText().c_str(), stdout);
        return 0;
    }
    if (program.commandLine == XScreenSaverCommand)
        return RunXScreenSaverCommand();
    // Qt's X platform aborts the process when it cannot connect, so the display is tried first.
    if (auto problem = displayProblem()) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return ExitNoDisplay;
    }
    // Every service of the saver speaks to the X server; on a Wayland session Qt would put the
    // run form and the dialogs on Wayland, where other instances cannot find them by title.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackProgramName, nullptr};
    if (StartsRun(program.commandLine))
        return RunSaver(program, toolkitArgc, toolkitArgv);
    QApplication app(toolkitArgc, toolkitArgv);
    // The run form is never shown; only Main and the units decide when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);

    XWindowLookup windows;
    XCursorDisplay cursor;
    QtMessageBox messages;
    DetachedProgramStarter programs;
    QtProgramEnd end;
    SaverServices services{program, windows, cursor, createPrivateFolder, messages, programs, end};

    Handovers handovers;
    handovers.preview = Lumivane_R::load;
    handovers.settingsDialog = Lumivane_P::showModal;
    handovers.displayRun = Lumivane_S::loadInWindow;

    LoadedForm form = Main(services, handovers);
    int exitCode = end.requested() ? end.exitCode() : runLoop(program);
    end.allowTeardown();
    form.reset();
    return exitCode;
}
