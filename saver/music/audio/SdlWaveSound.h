// The wave-sound service over SDL2_mixer: the file is loaded whole as a chunk and played on a
// channel of its own with endless loops, so it repeats without a gap until it is stopped.
#pragma once

#include "SdlAudioOutput.h"
#include "WaveSound.h"

#include <memory>

struct Mix_Chunk;

namespace quillaro {

class SdlWaveSound : public WaveSound {
public:
    ~SdlWaveSound() override;

    bool playLooped(const std::string& path) override;
    bool stop() override;
    int outputDeviceCount() override;

private:
    struct ChunkFreer {
        void operator()(Mix_Chunk* chunk) const;
    };

    std::shared_ptr<SdlAudioOutput> output_;       // held only while a sound loops
    std::unique_ptr<Mix_Chunk, ChunkFreer> chunk_; // freed before the output lets go
};

} // namespace quillaro
