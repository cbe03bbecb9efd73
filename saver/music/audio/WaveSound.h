// The wave-sound service: one sound file looped without a gap until it is stopped, and the number
// of sound outputs. SdlWaveSound is the real one; unit tests of the music module pass a fake.
#pragma once

#include <string>

namespace quillaro {

class WaveSound {
public:
    virtual ~WaveSound() = default;

    // Starts the file looping on its own and returns at once; any sound already looping stops
    // first. False when the file could not be started.
    virtual bool playLooped(const std::string& path) = 0;
    // Stops the looping sound, if any. True when nothing is left playing.
    virtual bool stop() = 0;
    // How many sound outputs the system has; 0 when it has none.
    virtual int outputDeviceCount() = 0;
};

} // namespace quillaro
