#include "EarlyRun.h"

#include "DisplayMode.h"
#include "Lumivane_B.h"
#include "platform/DetachedProgramStarter.h"
#include "platform/Notices.h"
#include "platform/PrivateFolderCreator.h"
#include "platform/QtMessageBox.h"
#include "platform/QtProgramEnd.h"
#include "platform/TerminationSignals.h"
#include "platform/XCursorDisplay.h"
#include "platform/XMarkerWindow.h"
#include "platform/XWindowLookup.h"
#include "run/Lumivane_S.h"
#include "run/RunStart.h"
#include "run/ScreenPictureService.h"

#include <QApplication>
#include <optional>
#include <pthread.h>

namespace quillaro {
namespace {

// The toolkit, brought up when it is first needed: for the run form, or before that for the
// message box about a missing renderer.
class Toolkit {
public:
    Toolkit(int& argc, char** argv) : argc_(argc), argv_(argv) {}

    void bringUp() {
        if (app_)
            return;
        app_.emplace(argc_, argv_);
        // The run form is never shown; only Main and the run decide when the program ends.
        QApplication::setQuitOnLastWindowClosed(false);
    }

private:
    int& argc_;
    char** argv_;
    std::optional<QApplication> app_;
};

class ToolkitMessageBox : public MessageBoxService {
public:
    explicit ToolkitMessageBox(Toolkit& toolkit) : toolkit_(toolkit) {}

    void showMessage(const std::string& caption, const std::string& text) override {
        toolkit_.bringUp();
        box_.showMessage(caption, text);
    }

private:
    Toolkit& toolkit_;
    QtMessageBox box_;
};

// What keeps a run alive until its form is up: the window by whose title other instances see
// that a run is going on. The guard's look for that title comes a moment before; of two starts
// that both passed it, only the one that makes this window goes on.
class RunMarker : public QObject {
public:
    bool titleTaken() const { return window_.titleTaken(); }

private:
    XMarkerWindow window_{RunFormTitle};
};

// Holds the end signals back from before the renderer's start until the run form listens for
// them, so a log-out in between still ends the renderer with the saver. The renderer starts
// with none held.
class EndSignalsHeld {
public:
    EndSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int sig : EndSignals)
            sigaddset(&held, sig);
        pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~EndSignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    EndSignalsHeld(const EndSignalsHeld&) = delete;
    EndSignalsHeld& operator=(const EndSignalsHeld&) = delete;

private:
    sigset_t before_;
};

} // namespace

bool StartsRun(const std::string& commandLine) {
    // A display-mode command line is read first, whatever its second character.
    if (DisplayModeWindow(commandLine, nullptr))
        return false;
    return commandLine.empty() || ModeLetter(commandLine) == "S";
}

int RunSaver(const ProgramInfo& program, int& argc, char** argv) {
    Toolkit toolkit(argc, argv);
    XWindowLookup windows;
    XCursorDisplay cursor;
    ToolkitMessageBox messages(toolkit);
    DetachedProgramStarter programs;
    QtProgramEnd end;
    SaverServices services{program, windows, cursor, createPrivateFolder, messages, programs, end};

    std::optional<EndSignalsHeld> held;
    std::unique_ptr<RunStart> start;
    Handovers handovers;
    handovers.run = [&](SaverServices& runServices) -> LoadedForm {
        auto marker = std::make_unique<RunMarker>();
        if (marker->titleTaken()) {
            reportFallback(std::string("a run started at the same moment is up (window \"") +
                           RunFormTitle + "\"); this start ends");
            return nullptr;
        }
        held.emplace();
        start = std::make_unique<RunStart>(runServices, std::make_unique<ScreenPictureService>());
        start->begin();
        return marker;
    };
    LoadedForm marker = Main(services, handovers);
    if (end.requested())
        return end.exitCode();

    toolkit.bringUp();
    LoadedForm form = Lumivane_S::loadStarted(services, std::move(start));
    held.reset();
    // The run shows no window of its own, so it goes without the accessibility bridge that
    // QApplication::exec sets up: the bridge's session-bus connection would try to start a
    // D-Bus daemon (dbus-launch) while the renderer is starting, and a started one would
    // outlive the run.
    const int exitCode = end.requested() ? end.exitCode() : QCoreApplication::exec();
    end.allowTeardown();
    form.reset();
    return exitCode;
}

} // namespace quillaro
