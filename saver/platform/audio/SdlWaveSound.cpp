#include "SdlWaveSound.h"

#include <SDL_mixer.h>

namespace quillaro {
namespace {

constexpr int LoopChannel = 0;
constexpr int LoopForever = -1;

} // namespace

SdlWaveSound::~SdlWaveSound() {
    stop();
}

bool SdlWaveSound::playLooped(const std::string& path) {
    stop();
    auto output = SdlAudioOutput::acquire();
    if (!output->isOpen())
        return false;
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (!chunk)
        return false;
    if (Mix_PlayChannel(LoopChannel, chunk, LoopForever) < 0) {
        Mix_FreeChunk(chunk);
        return false;
    }
    chunk_ = chunk;
    output_ = std::move(output);
    return true;
}

bool SdlWaveSound::stop() {
    if (chunk_) {
        Mix_HaltChannel(LoopChannel);
        Mix_FreeChunk(chunk_);
        chunk_ = nullptr;
    }
    output_.reset();
    return true;
}

int SdlWaveSound::outputDeviceCount() {
    return SdlAudioOutput::outputDeviceCount();
}

} // namespace quillaro
