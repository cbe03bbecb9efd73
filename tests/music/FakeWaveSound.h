// A wave-sound service for unit tests: records what it was asked to loop and how often it was
// stopped, and reports as many output devices as the test says.
#pragma once

#include "music/audio/WaveSound.h"

#include <string>
#include <vector>

namespace quillaro::test {

class FakeWaveSound : public WaveSound {
public:
    bool playLooped(const std::string& path) override {
        played.push_back(path);
        return playResult;
    }
    bool stop() override {
        ++stops;
        return true;
    }
    int outputDeviceCount() override { return devices; }

    std::vector<std::string> played;
    int stops = 0;
    int devices = 1;
    bool playResult = true;
};

} // namespace quillaro::test
