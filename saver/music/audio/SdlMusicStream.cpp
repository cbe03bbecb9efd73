#include "SdlMusicStream.h"

#include "SdlLibrary.h"
#include "common/FileDescriptor.h"
#include "music/mci/MciErrors.h"

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
        const FileDescriptor null(open("/dev/null", O_WRONLY | O_CLOEXEC));
        if (saved_ && null)
            dup2(null.get(), STDERR_FILENO);
    }
    ~SilencedStderr() {
        std::fflush(stderr);
        if (saved_)
            dup2(saved_.get(), STDERR_FILENO);
    }
    SilencedStderr(const SilencedStderr&) = delete;
    SilencedStderr& operator=(const SilencedStderr&) = delete;

private:
    FileDescriptor saved_{dup(STDERR_FILENO)};
};

// Which stream holds the mixer's music stream; touched only from the thread that sends commands.
const SdlMusicStream* owner = nullptr;

// A stream exists only on an open output, and the output opens only once SDL is loaded.
const SdlLibrary& sdl() {
    return *SdlLibrary::get();
}

} // namespace

Result<std::unique_ptr<SdlMusicStream>, std::int32_t>
SdlMusicStream::load(std::shared_ptr<SdlAudioOutput> output, const std::string& path) {
    if (!output->isOpen())
        return failure(mci_error::Hardware);
    std::unique_ptr<Mix_Music, MusicFreer> music;
    {
        SilencedStderr quiet;
        music.reset(sdl().LoadMUS(path.c_str()));
    }
    if (!music)
        return failure(mci_error::InvalidFile);
    return std::make_unique<SdlMusicStream>(Passkey<SdlMusicStream>{}, std::move(output),
                                            std::move(music));
}

void SdlMusicStream::MusicFreer::operator()(_Mix_Music* music) const {
    sdl().FreeMusic(music);
}

SdlMusicStream::SdlMusicStream(Passkey<SdlMusicStream>, std::shared_ptr<SdlAudioOutput> output,
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
