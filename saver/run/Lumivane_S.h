// The run form: the saver's side of a full screen-saver run. It is loaded hidden and stays
// hidden, so it never covers the desktop it captures; its title is how other instances know a
// run is going on. Its start-up has its RunStart write the picture for the renderer and start
// the renderer (unless the program's entry did that already), then starts the music.
// Three timers then keep the music going and watch the renderer's window; once that window has
// gone, the teardown stops the music, gives the cursor back and ends the saver. The renderer's
// scene covers the primary monitor; in a screen-saver run every other monitor is covered by a
// plain black window of the run's for as long as it lasts. Escape is watched
// too, whoever holds the keyboard: a renderer that no longer runs (stopped, or hung in its
// driver) keeps its window and the keyboard, and is ended so that the desktop comes back.
#pragma once

#include "PictureService.h"
#include "RunStart.h"
#include "common/FileDescriptor.h"
#include "common/ProgramNames.h"
#include "graphics/Image24.h"
#include "platform/ProgramEnd.h"
#include "platform/SaverServices.h"
#include "platform/WindowLookup.h"

#include <QCloseEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillaro {

class TerminationSignals;
class XEscapeKeyWatch;
class HostWindows;

// A run inside a screen-saver daemon's window (display mode): the window the scene fills, and
// whether this copy is the one that plays the music.
struct DisplayHost {
    WindowId window = 0;
    bool playsMusic = false;
    FileDescriptor musicTurn; // held while this copy plays: the other copies stay silent
};

// The run form's title, by which other instances know that a run is going on.
inline constexpr const char* RunFormTitle = "Lumivane_Main";

class Lumivane_S : public QWidget {
    Q_OBJECT
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::milliseconds Timer1Interval{1000}; // MP3 upkeep
    static constexpr std::chrono::milliseconds Timer2Interval{200};  // audio-CD upkeep
    static constexpr std::chrono::milliseconds Timer3Interval{500};  // renderer watch
    // A renderer that has not shown its window by then is taken for one that never will.
    static constexpr std::chrono::seconds RendererShowLimit{10};
    // After Escape: a running renderer ends itself within a frame, even a slow one's; one whose
    // window is still there after EscapeGrace is asked to end, and ended StopGrace later.
    static constexpr std::chrono::milliseconds EscapeGrace{700};
    static constexpr std::chrono::milliseconds StopGrace{300};
    static constexpr std::chrono::milliseconds EscapeFollowInterval{100};

    // Creates the hidden form, its timers (the renderer watch already counting) and its window,
    // so that the title can be found from the start. No clock given: the steady clock.
    Lumivane_S(SaverServices& services, std::unique_ptr<PictureService> pictures, Clock clock = {});
    // The same over a start that may already have begun (picture written, renderer started).
    Lumivane_S(SaverServices& services, std::unique_ptr<RunStart> start, Clock clock = {});
    ~Lumivane_S() override;

    // How Main hands a run over: the form with the real picture services, loaded and started.
    static LoadedForm load(SaverServices& services);
    // The form over a start that has already begun, loaded: it adds the music and the watch.
    static LoadedForm loadStarted(SaverServices& services, std::unique_ptr<RunStart> start);
    // How Main hands a display-mode run over: the same run, with the scene inside the window.
    // Nothing when the window does not exist.
    static LoadedForm loadInWindow(SaverServices& services, WindowId window);
    // Makes this form's run one inside the daemon's window: its own hand-off file, the renderer
    // told its window and file, the desktop taken from the window's screenshot. Before Form_Load.
    void hostIn(DisplayHost host);
    const std::filesystem::path& handoffFile() const { return start_->handoffFile(); }

    // The start-up: picture and renderer (unless they were started already), then the music.
    void Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    // Unloads the form: the teardown runs once, whatever asked for the unload.
    void unload();
    // Log-out, kill or Ctrl+C on the saver: the renderer it started is asked to end too, so no
    // animation is left on screen without its saver (and a later start is not stacked on it);
    // then the form unloads as when the renderer has gone.
    void endRequested();
    // Escape pressed, wherever it went: while the renderer's window is there, the run follows
    // up on it (followEscape) until the window or the renderer has gone.
    void escapePressed();
    void followEscape();

    QTimer& Timer1() { return timer1_; }
    QTimer& Timer2() { return timer2_; }
    QTimer& Timer3() { return timer3_; }
    QTimer& escapeFollowUp() { return escapeTimer_; }
    // The picture prepared for the renderer, kept until the program ends.
    const Image24& preparedPicture() const { return start_->picture().bitmap(); }
    std::optional<std::int64_t> rendererProcess() const { return start_->rendererProcess(); }

protected:
    // A close request from outside unloads the form like the end of the run does.
    void closeEvent(QCloseEvent* event) override;

private:
    // The music the start-up chose, remembered so that the teardown stops exactly that.
    // Mp3 is every file the MP3 player streams: MP3, and Ogg, FLAC or Opus.
    enum class Music { None, Cd, Wav, Mp3 };
    // By BgmKind and, for a music file, the end of its name.
    static Music chosenMusic();

    void Form_QueryUnload();
    void listenForEndSignals();
    void reportRendererUnseen(bool stillRunning);
    void startMusic();
    void coverOtherMonitors();

    SaverServices& services_;
    std::unique_ptr<RunStart> start_;
    Clock clock_;
    QTimer timer1_;
    QTimer timer2_;
    QTimer timer3_;
    QTimer escapeTimer_;

    std::chrono::steady_clock::time_point loadedAt_;
    Music music_ = Music::None;
    bool rendererSeen_ = false;
    bool unloaded_ = false;
    // How far the follow-up on Escape has gone, and since when.
    enum class EscapeStage { None, Waiting, Asked, Killed };
    EscapeStage escapeStage_ = EscapeStage::None;
    std::chrono::steady_clock::time_point escapeStageAt_;
    std::unique_ptr<TerminationSignals> endSignals_;
    std::unique_ptr<XEscapeKeyWatch> escapeKeys_;
    std::vector<std::unique_ptr<QWidget>> blackCovers_; // one for each monitor but the primary
    std::optional<DisplayHost> host_;
    std::unique_ptr<HostWindows> hostWatch_;
};

// The last three characters of a music file name in upper case: "WAV", "MP3", or anything else.
std::string MusicFileEnding(const std::string& file);
// True for a name ending in .ogg, .flac or .opus (any case): music the MP3 player decodes too,
// so it plays and loops like an MP3 file.
bool isOtherStreamedMusic(const std::string& file);

} // namespace quillaro
