#include "SdlWaveSound.h"

#include "SdlLibrary.h"

namespace quillaro {
namespace {

constexpr int LoopChannel = 0;
constexpr int LoopForever = -1;

} // namespace

void SdlWaveSound::ChunkFreer::operator()(Mix_Chunk* chunk) const {
    SdlLibrary::get()->FreeChunk(chunk); // a chunk exists only once SDL is loaded
}

SdlWaveSound::~SdlWaveSound() {
    stop();
}

bool SdlWaveSound::playLooped(const std::string& path) {
    stop();
    auto output = SdlAudioOutput::acquire();
    if (!output->isOpen())
        return false;
    const SdlLibrary& sdl = *SdlLibrary::get(); // loaded, since the output is open
    constexpr int NoTimeLimit = -1;
    std::unique_ptr<Mix_Chunk, ChunkFreer> chunk(
        sdl.LoadWAV_RW(sdl.RWFromFile(path.c_str(), "rb"), 1));
    if (!chunk || sdl.PlayChannelTimed(LoopChannel, chunk.get(), LoopForever, NoTimeLimit) < 0)
        return false;
    chunk_ = std::move(chunk);
    output_ = std::move(output);
    return true;
}

bool SdlWaveSound::stop() {
    if (chunk_) {
        SdlLibrary::get()->HaltChannel(LoopChannel);
        chunk_.reset();
    }
    output_.reset();
    return true;
}

int SdlWaveSound::outputDeviceCount() {
    return SdlAudioOutput::outputDeviceCount();
}

} // namespace quillaro
