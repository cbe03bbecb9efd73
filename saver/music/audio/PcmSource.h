// Something that adds its own 16-bit stereo samples to the shared sound output, such as the CD
// player. Called on the audio thread; it must not block for long.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillaro {

class PcmSource {
public:
    virtual ~PcmSource() = default;
    // Adds (with clipping) up to frames stereo frames to the interleaved stream.
    virtual void mixInto(std::int16_t* stream, std::size_t frames) = 0;
};

} // namespace quillaro
