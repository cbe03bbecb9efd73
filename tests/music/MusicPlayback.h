// The music module on the real sound output: SDL's disk driver writes what would be heard to a
// file in real time, and the tests tell the tones in it apart. The tests drive the module's tick
// operations themselves, at the run form's timer periods.
#pragma once

#include "TempDir.h"
#include "TestMedia.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <type_traits>
#include <vector>

namespace quillaro::test {

// A sound or drive handle frees what it holds when it goes; a copy would free it twice.
template <typename T>
constexpr bool cannotBeCopied = !std::is_copy_constructible_v<T> && !std::is_copy_assignable_v<T>;

inline constexpr std::chrono::milliseconds Mp3TimerPeriod{1000};
inline constexpr std::chrono::milliseconds CdTimerPeriod{200};
inline constexpr std::chrono::milliseconds PollPeriod{100};
inline constexpr std::size_t MinRun = 4; // windows, about 90 ms: shorter runs are transitions

// Track n of the test disc: 0.5 s of tone 2n, then 0.5 s of tone 2n + 1.
extern const std::vector<double> DiscTones;
std::vector<Samples> discTracks();

bool startsWith(const std::vector<int>& sequence, const std::vector<int>& prefix);
// The loudest sample heard on either channel.
int peakOf(const Samples& samples);
// One tick of the CD timer, which must keep the upkeep going.
void tickCd();
// The output was opened (its file exists) and nothing was heard on it. A missing file is no
// proof of silence: a test that means "never opened" says so itself.
::testing::AssertionResult allSilent(const std::filesystem::path& output);
// Runs the steps with standard error going to a file, and returns what they printed.
std::string printedBy(const std::filesystem::path& file, const std::function<void()>& steps);

class MusicPlayback : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path output() const { return dir / "heard.raw"; }

    // Asks for the CD's mode until it is no longer "playing", without ticks in between.
    std::string modeOnceThePlayEnds();

    // Calls tick every period until the labels of what was heard satisfy done, or time is up.
    bool driveUntil(const std::function<void()>& tick, std::chrono::milliseconds period,
                    const std::function<bool(const std::vector<int>&)>& done,
                    const std::vector<double>& tones, std::chrono::seconds timeout,
                    std::vector<int>& labels);

    TempDir dir;
};

} // namespace quillaro::test
