#include "SdlMusicStream.h"

#include "SdlLibrary.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace quillaro {
namespace {

// libmpg123, which SDL2_mixer decodes MP3 with, prints notes on standard error while it hunts
// through a file that is not MP3 at all, and SDL2_mixer gives no way to hush it. Standard error
// points at /dev/null while a file is opened; nothing else of the saver writes there meanwhile.
class SilencedStderr {
public:
    SilencedStderr() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        if (null >= 0)
            close(null);
    }
    ~SilencedStderr() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
        }
    }
    SilencedStderr(const SilencedStderr&) = delete;
    SilencedStderr& operator=(const SilencedStderr&) = delete;

private:
    int saved_ = -1;
};

// Which stream holds the mixer's music stream; touched only from the thread that sends commands.
const SdlMusicStream* owner = nullptr;

// A stream exists only on an open output, and the output opens only once SDL is loaded.
const SdlLibrary& sdl() {
    return *SdlLibrary::get();
}

} // namespace

std::unique_ptr<SdlMusicStream> SdlMusicStream::load(std::shared_ptr<SdlAudioOutput> output,
                                                     const std::string& path) {
    if (!output->isOpen())
        return nullptr;
    std::unique_ptr<Mix_Music, MusicFreer> music;
    {
        SilencedStderr quiet;
        music.reset(sdl().LoadMUS(path.c_str()));
    }
    if (!music)
        return nullptr;
    return std::make_unique<SdlMusicStream>(Passkey{}, std::move(output), std::move(music));
}

void SdlMusicStream::MusicFreer::operator()(_Mix_Music* music) const {
    sdl().FreeMusic(music);
}

SdlMusicStream::SdlMusicStream(Passkey, std::shared_ptr<SdlAudioOutput> output,
                               std::unique_ptr<_Mix_Music, MusicFreer> music)
    : output_(std::move(output)), music_(std::move(music)) {}

SdlMusicStream::~SdlMusicStream() {
    stop();
}

bool SdlMusicStream::ownsStream() const {
    return owner == this;
}

bool SdlMusicStream::play(double fromSeconds) {
    if (sdl().FadeInMusicPos(music_.get(), 0, 0, fromSeconds) != 0)
        return false;
    owner = this;
    return true;
}

void SdlMusicStream::pause() {
    if (ownsStream())
        sdl().PauseMusic();
}

void SdlMusicStream::resume() {
    if (ownsStream())
        sdl().ResumeMusic();
}

void SdlMusicStream::stop() {
    if (!ownsStream())
        return;
    stoppedAt_ = positionSeconds();
    sdl().HaltMusic();
    owner = nullptr;
}

MusicState SdlMusicStream::state() const {
    if (!ownsStream() || !sdl().PlayingMusic())
        return MusicState::Stopped;
    return sdl().PausedMusic() ? MusicState::Paused : MusicState::Playing;
}

double SdlMusicStream::positionSeconds() const {
    if (!ownsStream())
        return stoppedAt_;
    if (!sdl().PlayingMusic())
        return lengthSeconds() > 0.0 ? lengthSeconds() : stoppedAt_; // it played to its end
    double position = sdl().GetMusicPosition(music_.get());
    return position >= 0.0 ? position : 0.0;
}

double SdlMusicStream::lengthSeconds() const {
    return sdl().MusicDuration(music_.get());
}

} // namespace quillaro
