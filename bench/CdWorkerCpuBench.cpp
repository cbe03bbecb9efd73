// How much CPU the CD player's reading thread uses per minute of sound, for both ways of reading
// (plain sector reads and paranoia), playing a disc image it writes itself through SDL's disk
// driver into /dev/null. Also the time one CD upkeep tick takes on the calling thread.
//
//   CdWorkerCpuBench [seconds of sound, default 20] [fast]
// "fast" lets the disk driver run as fast as it can instead of in real time; the reading work
// per minute of sound is the same, the run just ends sooner.
#include "TempDir.h"
#include "TestMedia.h"
#include "music/Lumivane_BGM.h"
#include "music/cd/CdioDrive.h"
#include "settings/Settings.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using namespace quillaro;
using namespace std::chrono;

namespace {

void playWholeDisc(CdReadMethod method, const char* name, double soundSeconds) {
    auto opened = CdioDrive::open(method);
    if (!opened) {
        std::printf("%s: the image does not open\n", name);
        return;
    }
    const std::unique_ptr<CdioDrive>& drive = *opened;
    auto started = steady_clock::now();
    if (!drive->play(drive->toc().startOf(1), drive->toc().leadout)) {
        std::printf("%s: no sound output\n", name);
        return;
    }
    while (drive->playing())
        std::this_thread::sleep_for(milliseconds(50));
    double wall = duration<double>(steady_clock::now() - started).count();
    double cpuMs = duration<double, std::milli>(drive->workerCpuTime()).count();
    std::printf("%-9s %6.1f s of sound in %6.1f s: worker CPU %7.1f ms, %6.1f ms per minute "
                "of sound (%.3f %% of one core)\n",
                name, soundSeconds, wall, cpuMs, cpuMs * 60.0 / soundSeconds,
                cpuMs / (soundSeconds * 10.0));
}

void timeTicks(int ticks) {
    settings().BgmRepeat = 1;
    OpenCdAudio();
    std::int64_t total = 0;
    std::int64_t worst = 0;
    for (int i = 0; i < ticks; ++i) {
        auto start = steady_clock::now();
        CdAudioTick();
        auto took = duration_cast<microseconds>(steady_clock::now() - start).count();
        total += took;
        worst = std::max<std::int64_t>(worst, took);
        std::this_thread::sleep_for(milliseconds(200));
    }
    StopCdAudio();
    std::printf("CdAudioTick on the calling thread: %.1f us on average, %lld us at worst, "
                "over %d ticks\n",
                static_cast<double>(total) / ticks, static_cast<long long>(worst), ticks);
}

} // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    bool fast = argc > 2 && std::string(argv[2]) == "fast";
    if (seconds <= 0)
        seconds = 20.0;

    quillaro::test::TempDir dir;
    // One long track of a tone: the reading cost does not depend on what the sound is.
    auto cue = quillaro::test::writeCdImage(dir.path(), {quillaro::test::tone(440, seconds)});
    setenv("CDROM", cue.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    if (fast)
        setenv("SDL_DISKAUDIODELAY", "0", 1);

    std::printf("%s playback\n", fast ? "fast" : "real-time");
    playWholeDisc(CdReadMethod::Plain, "plain", seconds);
    playWholeDisc(CdReadMethod::Paranoia, "paranoia", seconds);
    unsetenv("SDL_DISKAUDIODELAY");
    timeTicks(25);
    return 0;
}
