#include "SdlMusicStream.h"

#include <SDL_mixer.h>

namespace quillaro {
namespace {

// Which stream holds the mixer's music stream; touched only from the thread that sends commands.
const SdlMusicStream* owner = nullptr;

} // namespace

std::unique_ptr<SdlMusicStream> SdlMusicStream::load(std::shared_ptr<SdlAudioOutput> output,
                                                     const std::string& path) {
    if (!output->isOpen())
        return nullptr;
    Mix_Music* music = Mix_LoadMUS(path.c_str());
    if (!music)
        return nullptr;
    return std::unique_ptr<SdlMusicStream>(new SdlMusicStream(std::move(output), music));
}

SdlMusicStream::SdlMusicStream(std::shared_ptr<SdlAudioOutput> output, _Mix_Music* music)
    : output_(std::move(output)), music_(music) {}

SdlMusicStream::~SdlMusicStream() {
    stop();
    Mix_FreeMusic(music_);
}

bool SdlMusicStream::ownsStream() const {
    return owner == this;
}

bool SdlMusicStream::play(double fromSeconds) {
    if (Mix_FadeInMusicPos(music_, 0, 0, fromSeconds) != 0)
        return false;
    owner = this;
    return true;
}

void SdlMusicStream::pause() {
    if (ownsStream())
        Mix_PauseMusic();
}

void SdlMusicStream::resume() {
    if (ownsStream())
        Mix_ResumeMusic();
}

void SdlMusicStream::stop() {
    if (!ownsStream())
        return;
    stoppedAt_ = positionSeconds();
    Mix_HaltMusic();
    owner = nullptr;
}

MusicState SdlMusicStream::state() const {
    if (!ownsStream() || !Mix_PlayingMusic())
        return MusicState::Stopped;
    return Mix_PausedMusic() ? MusicState::Paused : MusicState::Playing;
}

double SdlMusicStream::positionSeconds() const {
    if (!ownsStream())
        return stoppedAt_;
    if (!Mix_PlayingMusic())
        return lengthSeconds() > 0.0 ? lengthSeconds() : stoppedAt_; // it played to its end
    double position = Mix_GetMusicPosition(music_);
    return position >= 0.0 ? position : 0.0;
}

double SdlMusicStream::lengthSeconds() const {
    return Mix_MusicDuration(music_);
}

} // namespace quillaro
