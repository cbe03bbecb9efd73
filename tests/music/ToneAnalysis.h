// Tells what the sound output played: reads the raw file that SDL's disk driver writes (44.1 kHz,
// 16-bit, stereo) and names the tone heard in each short window with a Goertzel filter per
// candidate frequency.
#pragma once

#include "TestMedia.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quillaro::test {

inline constexpr int Silence = -1;
inline constexpr int Mixed = -2;
inline constexpr std::size_t AnalysisWindow = 1024; // frames, about 23 ms

struct ToneRun {
    int tone; // index into the candidate frequencies, or Silence / Mixed
    std::size_t windows;
};

Samples readOutput(const std::filesystem::path& path);
// One label per whole window of the left channel.
std::vector<int> labelWindows(const Samples& samples, const std::vector<double>& frequencies);
// Consecutive equal labels joined into runs.
std::vector<ToneRun> runsOf(const std::vector<int>& labels);
// The tones of the runs at least minWindows long, in order, repeats of the same tone joined
// (silence and mixed windows between them are skipped).
std::vector<int> toneSequence(const std::vector<int>& labels, std::size_t minWindows);
// For messages: the runs as text, such as "0x21 1x22 -1x3".
std::string describe(const std::vector<int>& labels);

} // namespace quillaro::test
