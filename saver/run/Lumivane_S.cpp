#include "Lumivane_S.h"

#include "ScreenPictureService.h"
#include "capture/Lumivane_C.h"
#include "common/AsciiCase.h"
#include "common/HandoffPath.h"
#include "graphics/Raster.h"
#include "music/Lumivane_BGM.h"
#include "platform/FileLock.h"
#include "platform/Notices.h"
#include "platform/TerminationSignals.h"
#include "platform/XEscapeKeyWatch.h"
#include "platform/XHostWindows.h"
#include "settings/Conversions.h"
#include "settings/Settings.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace quillaro {
namespace {

// A screen-saver run, as started by /s or with no mode at all, rather than a run inside another
// program's window.
bool screenSaverRun(const std::string& commandLine) {
    return commandLine.empty() || ModeLetter(commandLine) == "S";
}
// One file for every display-mode copy: whoever holds its lock plays the music.
constexpr const char* MusicTurnFileName = "Lumivane.music";

bool desktopChosen(const std::string& capture) {
    // Text that is not a number (an empty Capture among it) counts as the desktop.
    auto number = parseNumber(capture);
    return !number || *number == 0;
}

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
    : services_(services), pictures_(std::move(pictures)),
      clock_(clock ? std::move(clock) : Clock(&std::chrono::steady_clock::now)),
      handoff_(handoffPath()) {
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
    auto form = std::make_unique<Lumivane_S>(services, std::make_unique<ScreenPictureService>());
    // Log-out, shutdown or an interrupt end the run, the renderer with it.
    form->endSignals_ = std::make_unique<TerminationSignals>();
    connect(form->endSignals_.get(), &TerminationSignals::endRequested, form.get(),
            &Lumivane_S::endRequested);
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
    form->endSignals_ = std::make_unique<TerminationSignals>();
    connect(form->endSignals_.get(), &TerminationSignals::endRequested, form.get(),
            &Lumivane_S::endRequested);
    // The daemon destroys the window to unblank: the renderer, a child of it, goes with it.
    Lumivane_S* raw = form.get();
    if (auto watched = watch->watchDestruction(window, [raw] { raw->endRequested(); }); !watched)
        reportFallback("the run does not end with its window: " + watched.error().message());
    form->hostWatch_ = std::move(watch);
    form->Form_Load();
    return form;
}

void Lumivane_S::hostIn(DisplayHost host) {
    host_ = std::move(host);
    // Several copies run at once, one per monitor: each hands its own picture over.
    const auto folder = workingFolder();
    handoff_ =
        folder.empty() ? folder : folder / ("Lumivane-" + std::to_string(::getpid()) + ".bmp");
}

void Lumivane_S::Form_Load() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->size());

    if (host_ && desktopChosen(settings().Capture))
        prepareHostDesktop();
    else if (desktopChosen(settings().Capture))
        prepareDesktop();
    else
        preparePictureFile();

    // The hand-off file is complete before the renderer starts; the saver never waits for it.
    RendererPath_ = RendererPath(services_.program.folder);
    rendererPid_ = services_.programs.startProgram(RendererPath_, rendererArguments());
    if (screenSaverRun(services_.program.commandLine))
        coverOtherMonitors();

    if (!host_ || host_->playsMusic)
        startMusic();
}

std::vector<std::string> Lumivane_S::rendererArguments() const {
    if (!host_)
        return {};
    char window[32];
    std::snprintf(window, sizeof window, "0x%lx", host_->window);
    return {"--window-id", window, "--picture", handoff_.string()};
}

void Lumivane_S::prepareHostDesktop() {
    // That monitor's own desktop, handed over as a /s run hands over the captured one.
    picture_ = pictures_->grabHostScreenshot(host_->window);
    if (!picture_.empty()) {
        saveForRenderer();
        return;
    }
    // No screenshot (the daemon was told not to take one, or a preview pane): the user's
    // picture when one is set, else our sample landscape.
    if (!settings().ImageFile.empty()) {
        preparePictureFile();
        return;
    }
    picture_ = PictureFromBitmap(pictures_->samplePicture(), std::nullopt);
    if (!picture_.empty())
        saveForRenderer();
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

void Lumivane_S::prepareDesktop() {
    picture_ = pictures_->grabDesktop();
    if (!picture_.empty()) // else nothing to save; the renderer finds an older picture or none
        saveForRenderer();
    else
        reportFallback("the desktop could not be captured; the floor keeps its last picture");
}

void Lumivane_S::preparePictureFile() {
    // An unloadable picture leaves the picture area at its small black starting size.
    Image24 pic2(EmptyPictureWidth, EmptyPictureHeight);
    if (auto loaded = pictures_->loadPicture(settings().ImageFile))
        pic2 = std::move(*loaded);
    else
        reportFallback("the picture " + settings().ImageFile + " is not shown: " + loaded.error());
    const int w = pic2.width();
    const int h = pic2.height();
    // Mirrored left to right at its own size: the floor mirrors it back like a reflection.
    Image24 pic1(w, h);
    StretchBlt(pic1, w, 0, -w, h, pic2, 0, 0, w, h);
    picture_ = PictureFromBitmap(std::move(pic1), std::nullopt);
    saveForRenderer();
}

void Lumivane_S::saveForRenderer() {
    // Written only into a folder that is ours alone, so nobody can redirect the picture.
    if (auto folder = services_.createPrivateFolder(workingFolder()); !folder)
        reportFallback("the floor shows no picture, the working folder is refused: " +
                       folder.error().message());
    else if (auto saved = pictures_->savePicture(picture_.bitmap(), handoff_); !saved)
        reportFallback("the picture is not handed over: " + saved.error().message());
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
        if (rendererPid_ && services_.programs.isRunning(*rendererPid_))
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
    const bool starting = rendererPid_ && services_.programs.isRunning(*rendererPid_);
    if (!rendererSeen_ && starting && clock_() - loadedAt_ < RendererShowLimit)
        return;
    timer3_.stop();
    if (!rendererSeen_)
        reportRendererUnseen(starting);
    unload();
}

void Lumivane_S::reportRendererUnseen(bool stillRunning) {
    // Always told: otherwise the run ends with nothing on screen and no word why.
    const std::string renderer = "the renderer " + RendererPath_;
    if (!rendererPid_)
        reportProblem(renderer + " could not be started");
    else if (stillRunning)
        reportProblem(renderer + " showed no window within " +
                      std::to_string(RendererShowLimit.count()) + " s; the run ends");
    else if (const auto status = services_.programs.waitStatus(*rendererPid_);
             !status || !endedCleanly(*status))
        // A clean end is an Escape between two looks: the window was there, only not seen.
        reportProblem(renderer + " ended before its window was seen (" +
                      (status ? describeEnding(*status) : std::string("how is not known")) + ")");
}

void Lumivane_S::escapePressed() {
    if (unloaded_ || escapeStage_ != EscapeStage::None || !rendererPid_ ||
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
    if (!services_.programs.isRunning(*rendererPid_))
        return;
    if (escapeStage_ == EscapeStage::Waiting && now - escapeStageAt_ >= EscapeGrace) {
        services_.programs.stopProgram(*rendererPid_);
        escapeStage_ = EscapeStage::Asked;
        escapeStageAt_ = now;
    } else if (escapeStage_ == EscapeStage::Asked && now - escapeStageAt_ >= StopGrace) {
        services_.programs.killProgram(*rendererPid_);
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
    if (!unloaded_ && rendererPid_)
        services_.programs.stopProgram(*rendererPid_);
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
        std::filesystem::remove(handoff_, ignored);
        host_->musicTurn = {};
    }
    services_.end.endProgram(ExitQuietly);
}

} // namespace quillaro
