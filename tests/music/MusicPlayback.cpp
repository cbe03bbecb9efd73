#include "MusicPlayback.h"

#include "FileText.h"
#include "ToneAnalysis.h"
#include "common/FileDescriptor.h"
#include "music/Lumivane_BGM.h"
#include "settings/Settings.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace quillaro::test {

using namespace std::chrono_literals;

const std::vector<double> DiscTones{400, 650, 900, 1150, 1400, 1650};

std::vector<Samples> discTracks() {
    std::vector<Samples> tracks;
    for (std::size_t t = 0; t < 3; ++t)
        tracks.push_back(concat({tone(DiscTones[2 * t], 0.5), tone(DiscTones[2 * t + 1], 0.5)}));
    return tracks;
}

bool startsWith(const std::vector<int>& sequence, const std::vector<int>& prefix) {
    return sequence.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), sequence.begin());
}

int peakOf(const Samples& samples) {
    int peak = 0;
    for (std::int16_t s : samples)
        peak = std::max(peak, std::abs(int{s}));
    return peak;
}

void tickCd() {
    CdAudioTick();
    ASSERT_TRUE(CdKeepPolling);
}

::testing::AssertionResult allSilent(const std::filesystem::path& output) {
    if (!std::filesystem::exists(output))
        return ::testing::AssertionFailure() << "the sound output was never opened";
    const std::vector<int> labels = labelWindows(readOutput(output), {1000.0});
    for (int label : labels)
        if (label != Silence)
            return ::testing::AssertionFailure() << "sound was heard: " << describe(labels);
    return ::testing::AssertionSuccess();
}

std::string printedBy(const std::filesystem::path& file, const std::function<void()>& steps) {
    std::fflush(stderr);
    const FileDescriptor saved(dup(STDERR_FILENO));
    {
        const FileDescriptor capture(open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
        dup2(capture.get(), STDERR_FILENO);
    }
    steps();
    std::fflush(stderr);
    dup2(saved.get(), STDERR_FILENO);
    return readFile(file);
}

void MusicPlayback::SetUp() {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output().c_str(), 1);
    unsetenv("CDROM");
    settings().BgmFile.clear();
    settings().BgmRepeat = 0;
}

void MusicPlayback::TearDown() {
    // Whatever a test left open goes, so the next one starts on a fresh output file.
    std::string reply;
    SendMciCommand("close all", reply);
    StopWav();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("CDROM");
}

std::string MusicPlayback::modeOnceThePlayEnds() {
    auto deadline = std::chrono::steady_clock::now() + 30s;
    std::string mode = QueryMci("status cdaudio mode");
    while (mode == "playing" && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(PollPeriod);
        mode = QueryMci("status cdaudio mode");
    }
    return mode;
}

bool MusicPlayback::driveUntil(const std::function<void()>& tick, std::chrono::milliseconds period,
                               const std::function<bool(const std::vector<int>&)>& done,
                               const std::vector<double>& tones, std::chrono::seconds timeout,
                               std::vector<int>& labels) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    // Ticks keep to their period like a timer's, however long the analysis takes.
    auto nextTick = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < deadline) {
        nextTick += period;
        std::this_thread::sleep_until(nextTick);
        tick();
        labels = labelWindows(readOutput(output()), tones);
        if (done(labels))
            return true;
    }
    return false;
}

} // namespace quillaro::test
