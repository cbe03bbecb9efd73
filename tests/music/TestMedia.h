// Sound made by the tests: tones as 44.1 kHz 16-bit stereo samples, WAV files, and BIN/CUE disc
// images with one tone sequence per sound track and noise in their data tracks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace quillaro::test {

inline constexpr int TestRate = 44100;
inline constexpr std::int16_t ToneAmplitude = 10000;

using Samples = std::vector<std::int16_t>; // interleaved stereo

// A sine of the frequency, the same on both channels.
Samples tone(double hz, double seconds);
Samples concat(const std::vector<Samples>& parts);

void writeWav(const std::filesystem::path& path, const Samples& samples);
// One track of a test disc: sound, or a data track of so many seconds whose bytes are noise at
// full scale when they are played as sound.
struct DiscTrack {
    Samples sound;
    double dataSeconds = 0.0; // more than 0 makes it a data track (MODE1/2352)
};
DiscTrack dataTrack(double seconds);

// disc.bin and disc.cue in the folder, one track per entry (each padded to whole sectors);
// returns the path of the .cue file.
std::filesystem::path writeCdImage(const std::filesystem::path& folder,
                                   const std::vector<DiscTrack>& tracks);
// A disc of sound tracks only.
std::filesystem::path writeCdImage(const std::filesystem::path& folder,
                                   const std::vector<Samples>& tracks);

} // namespace quillaro::test
