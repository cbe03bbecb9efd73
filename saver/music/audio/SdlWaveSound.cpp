#include "SdlWaveSound.h"

#include <SDL_mixer.h>

namespace quillaro {
namespace {

constexpr int LoopChannel = 0;
constexpr int LoopForever = -1;

} // namespace

void SdlWaveSound::ChunkFreer::operator()(Mix_Chunk* chunk) const {
    Mix_FreeChunk(chunk);
}

SdlWaveSound::~SdlWaveSound() {
    stop();
}

bool SdlWaveSound::playLooped(const std::string& path) {
    stop();
    auto output = SdlAudioOutput::acquire();
    if (!output->isOpen())
        return false;
    std::unique_ptr<Mix_Chunk, ChunkFreer> chunk(Mix_LoadWAV(path.c_str()));
    if (!chunk || Mix_PlayChannel(LoopChannel, chunk.get(), LoopForever) < 0)
        return false;
    chunk_ = std::move(chunk);
    output_ = std::move(output);
    return true;
}

bool SdlWaveSound::stop() {
    if (chunk_) {
        Mix_HaltChannel(LoopChannel);
        chunk_.reset();
    }
    output_.reset();
    return true;
}

int SdlWaveSound::outputDeviceCount() {
    return SdlAudioOutput::outputDeviceCount();
}

} // namespace quillaro
