#include "Lumivane_S.h"

#include "ScreenPictureService.h"
#include "common/AsciiCase.h"
#include "common/HandoffPath.h"
#include "music/Lumivane_BGM.h"
#include "platform/FileLock.h"
#include "platform/Notices.h"
#include "platform/TerminationSignals.h"
#include "platform/XEscapeKeyWatch.h"
#include "platform/XHostWindows.h"
#include "settings/Settings.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <algorithm>

namespace quillaro {
namespace {

// A screen-saver run, as started by /s or with no mode at all, rather than a run inside another
// program's window.
bool screenSaverRun(const std::string& commandLine) {
    return commandLine.empty() || ModeLetter(commandLine) == "S";
}
// One file for every display-mode copy: whoever holds its lock plays the music.
constexpr const char* MusicTurnFileName = "Lumivane.music";

} // namespace

std::string MusicFileEnding(const std::string& file) {
    return asciiUpper(file.substr(file.size() - std::min<std::size_t>(3, file.size())));
}

bool isOtherStreamedMusic(const std::string& file) {
    const std::size_t dot = file.rfind('.');
    if (dot == std::string::npos || file.find('/', dot) != std::string::npos)
        return false;
    const std::string extension = asciiLower(std::string_view(file).substr(dot + 1));
    return extension == "ogg" || extension == "flac" || extension == "opus";
}

Lumivane_S::Lumivane_S(SaverServices& services, std::unique_ptr<PictureService> pictures,
                       Clock clock)
    : Lumivane_S(services, std::make_unique<RunStart>(services, std::move(pictures)),
                 std::move(clock)) {}

Lumivane_S::Lumivane_S(SaverServices& services, std::unique_ptr<RunStart> start, Clock clock)
    : services_(services), start_(std::move(start)),
      clock_(clock ? std::move(clock) : Clock(&std::chrono::steady_clock::now)) {
    setWindowTitle(RunFormTitle);
    // A window id now, so the title is there for other instances to find; never shown.
    winId();

    timer1_.setInterval(Timer1Interval);
    timer2_.setInterval(Timer2Interval);
    timer3_.setInterval(Timer3Interval);
    escapeTimer_.setInterval(EscapeFollowInterval);
    connect(&timer1_, &QTimer::timeout, this, &Lumivane_S::Timer1_Timer);
    connect(&timer2_, &QTimer::timeout, this, &Lumivane_S::Timer2_Timer);
    connect(&timer3_, &QTimer::timeout, this, &Lumivane_S::Timer3_Timer);
    connect(&escapeTimer_, &QTimer::timeout, this, &Lumivane_S::followEscape);
    // The watch counts from the form's creation; its ticks arrive once start-up has returned.
    timer3_.start();
    loadedAt_ = clock_();
}

Lumivane_S::~Lumivane_S() = default;

LoadedForm Lumivane_S::load(SaverServices& services) {
    return loadStarted(
        services, std::make_unique<RunStart>(services, std::make_unique<ScreenPictureService>()));
}

LoadedForm Lumivane_S::loadStarted(SaverServices& services, std::unique_ptr<RunStart> start) {
    auto form = std::make_unique<Lumivane_S>(services, std::move(start));
    form->listenForEndSignals();
    // Escape reaches the saver even when the renderer holds the keyboard and does not run.
    if (screenSaverRun(services.program.commandLine)) {
        Lumivane_S* run = form.get();
        form->escapeKeys_ = std::make_unique<XEscapeKeyWatch>([run] { run->escapePressed(); });
    }
    form->Form_Load();
    return form;
}

LoadedForm Lumivane_S::loadInWindow(SaverServices& services, WindowId window) {
    auto watch = std::make_unique<XHostWindows>();
    if (!watch->insideSize(window)) {
        reportProblem("the window " + std::to_string(window) + " to run in does not exist");
        return nullptr;
    }
    DisplayHost host{window, false, {}};
    // A window smaller than its monitor is a settings program's preview pane: never music
    // there. Of the copies on whole monitors the first to take the turn plays.
    if (hostFillsItsMonitor(window) && !workingFolder().empty()) {
        host.musicTurn = tryLockFile(workingFolder() / MusicTurnFileName);
        host.playsMusic = static_cast<bool>(host.musicTurn);
    }
    auto form = std::make_unique<Lumivane_S>(services, std::make_unique<ScreenPictureService>());
    form->hostIn(std::move(host));
    form->listenForEndSignals();
    // The daemon destroys the window to unblank: the renderer, a child of it, goes with it.
    Lumivane_S* raw = form.get();
    if (auto watched = watch->watchDestruction(window, [raw] { raw->endRequested(); }); !watched)
        reportFallback("the run does not end with its window: " + watched.error().message());
    form->hostWatch_ = std::move(watch);
    form->Form_Load();
    return form;
}

void Lumivane_S::listenForEndSignals() {
    // Log-out, shutdown or an interrupt end the run, the renderer with it.
    endSignals_ = std::make_unique<TerminationSignals>();
    connect(endSignals_.get(), &TerminationSignals::endRequested, this, &Lumivane_S::endRequested);
}

void Lumivane_S::hostIn(DisplayHost host) {
    start_->hostIn(host.window);
    host_ = std::move(host);
}

void Lumivane_S::Form_Load() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->size());

    start_->begin();
    if (!host_ && screenSaverRun(services_.program.commandLine))
        coverOtherMonitors();

    if (!host_ || host_->playsMusic)
        startMusic();
}

void Lumivane_S::coverOtherMonitors() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    QPalette black;
    black.setColor(QPalette::Window, Qt::black);
    for (QScreen* screen : QGuiApplication::screens()) {
        // A monitor that shares any of the primary's area (a clone, an odd layout) would hide
        // the scene.
        if (!primary || screen == primary || screen->geometry().intersects(primary->geometry()))
            continue;
        // Placed by the run itself, never by a window manager, and never given the keyboard.
        auto cover = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint |
                                                            Qt::X11BypassWindowManagerHint |
                                                            Qt::WindowDoesNotAcceptFocus);
        cover->setAttribute(Qt::WA_ShowWithoutActivating);
        cover->setPalette(black);
        cover->setAutoFillBackground(true);
        cover->setCursor(Qt::BlankCursor);
        cover->setGeometry(screen->geometry());
        cover->show();
        blackCovers_.push_back(std::move(cover));
    }
}

Lumivane_S::Music Lumivane_S::chosenMusic() {
    const Settings& s = settings();
    if (s.BgmKind == Settings::BgmKindCd)
        return Music::Cd;
    if (s.BgmKind != Settings::BgmKindFile)
        return Music::None;
    const std::string ending = MusicFileEnding(s.BgmFile);
    if (ending == "WAV")
        return Music::Wav;
    if (ending == "MP3" || isOtherStreamedMusic(s.BgmFile))
        return Music::Mp3;
    return Music::None;
}

void Lumivane_S::startMusic() {
    music_ = chosenMusic();
    const std::string& file = settings().BgmFile;
    switch (music_) {
    case Music::Cd:
        OpenCdAudio();
        if (!LastMciCallSucceeded())
            reportFallback("no CD drive could be opened; the run goes on in silence");
        timer2_.start(); // playback begins at a later tick
        break;
    case Music::Wav:
        PlayWav(); // loops by itself
        if (!LastSoundCallSucceeded())
            reportFallback("the music file " + file +
                           " does not play (no sound output, or not a WAV SDL can read)");
        break;
    case Music::Mp3:
        PlayMp3();
        if (reportsFallbacks() && !IsMp3Playing())
            reportFallback("the music file " + file +
                           " does not play (no sound output, or SDL cannot decode it)");
        timer1_.start();
        break;
    case Music::None:
        if (settings().BgmKind == Settings::BgmKindFile)
            reportFallback("the music file " + file +
                           " is not MP3, WAV, Ogg, FLAC or Opus; it is not played");
        break;
    }
}

void Lumivane_S::Timer1_Timer() {
    Mp3Tick();
}

void Lumivane_S::Timer2_Timer() {
    CdAudioTick();
    if (!CdKeepPolling) {
        timer2_.stop();
        reportFallback("the audio CD cannot be played (no disc, or no sound on it)");
    }
}

void Lumivane_S::Timer3_Timer() {
    // Several copies run at once, each renderer titled alike: a display-mode copy follows its
    // own renderer's process, which ends with the window it draws in.
    if (host_) {
        if (rendererProcess() && services_.programs.isRunning(*rendererProcess()))
            return;
        timer3_.stop();
        unload();
        return;
    }
    if (services_.windows.findWindow(RendererWindowTitle) != 0) {
        rendererSeen_ = true;
        return;
    }
    // Before the renderer has shown its window, its absence only means it is still starting,
    // as long as its process is there; one that never shows a window still ends the run once
    // the limit has passed.
    const bool starting = rendererProcess() && services_.programs.isRunning(*rendererProcess());
    if (!rendererSeen_ && starting && clock_() - loadedAt_ < RendererShowLimit)
        return;
    timer3_.stop();
    if (!rendererSeen_)
        reportRendererUnseen(starting);
    unload();
}

void Lumivane_S::reportRendererUnseen(bool stillRunning) {
    // Always told: otherwise the run ends with nothing on screen and no word why.
    const std::string renderer = "the renderer " + RendererPath(services_.program.folder);
    if (!rendererProcess())
        reportProblem(renderer + " could not be started");
    else if (stillRunning)
        reportProblem(renderer + " showed no window within " +
                      std::to_string(RendererShowLimit.count()) + " s; the run ends");
    else if (const auto status = services_.programs.waitStatus(*rendererProcess());
             !status || !endedCleanly(*status))
        // A clean end is an Escape between two looks: the window was there, only not seen.
        reportProblem(renderer + " ended before its window was seen (" +
                      (status ? describeEnding(*status) : std::string("how is not known")) + ")");
}

void Lumivane_S::escapePressed() {
    if (unloaded_ || escapeStage_ != EscapeStage::None || !rendererProcess() ||
        services_.windows.findWindow(RendererWindowTitle) == 0)
        return;
    escapeStage_ = EscapeStage::Waiting;
    escapeStageAt_ = clock_();
    escapeTimer_.start();
}

void Lumivane_S::followEscape() {
    if (unloaded_ || escapeStage_ == EscapeStage::None) {
        escapeTimer_.stop();
        return;
    }
    // The run ends as the watch ends it: once the window has gone, which the server sees to
    // soon after the renderer's process has ended, not before, so no later start finds it.
    if (services_.windows.findWindow(RendererWindowTitle) == 0) {
        escapeTimer_.stop();
        timer3_.stop();
        unload();
        return;
    }
    const auto now = clock_();
    if (!services_.programs.isRunning(*rendererProcess()))
        return;
    if (escapeStage_ == EscapeStage::Waiting && now - escapeStageAt_ >= EscapeGrace) {
        services_.programs.stopProgram(*rendererProcess());
        escapeStage_ = EscapeStage::Asked;
        escapeStageAt_ = now;
    } else if (escapeStage_ == EscapeStage::Asked && now - escapeStageAt_ >= StopGrace) {
        services_.programs.killProgram(*rendererProcess());
        escapeStage_ = EscapeStage::Killed;
    }
}

void Lumivane_S::unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    Form_QueryUnload();
}

void Lumivane_S::endRequested() {
    if (!unloaded_ && rendererProcess())
        services_.programs.stopProgram(*rendererProcess());
    unload();
}

void Lumivane_S::closeEvent(QCloseEvent* event) {
    event->ignore(); // the teardown ends the program itself
    unload();
}

void Lumivane_S::Form_QueryUnload() {
    // A CD upkeep that switched itself off has nothing left to stop.
    if (timer2_.isActive()) {
        timer2_.stop();
        StopCdAudio();
    }
    if (music_ == Music::Wav)
        StopWav();
    if (music_ == Music::Mp3) {
        timer1_.stop();
        StopMp3();
    }
    blackCovers_.clear();
    // Only a run started as /s hid the cursor, so only such a run gives it back.
    if (ModeLetter(services_.program.commandLine) == "S" && CursorCount())
        CursorCount() = services_.cursor.showCursor(*CursorCount() != 0);
    if (host_) {
        std::error_code ignored;
        std::filesystem::remove(handoffFile(), ignored);
        host_->musicTurn = {};
    }
    services_.end.endProgram(ExitQuietly);
}

} // namespace quillaro
