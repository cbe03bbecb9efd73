// The music module: background music for a run, as an MP3 file kept going by a one-second
// upkeep, a WAV file that loops by itself, or an audio CD polled every 200 ms that can keep one
// track repeating. It speaks to the platform only through a command channel (command strings
// such as "play MP3Play") and the wave-sound service; both are the real ones unless a test
// installs its own with a BgmPlatformGuard. Every operation takes no arguments from the run form
// and reads BgmFile and BgmRepeat from the Settings record. Nothing here shows a message:
// results end up in LastApiResult and LastMciReply and are otherwise dropped.
#pragma once

#include "music/audio/WaveSound.h"
#include "music/mci/MciChannel.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillaro {

// Everything the module keeps between calls, in one place so that it starts afresh in one
// assignment: what it records for its callers, the buffers the replies land in (they keep their
// text between calls), and the services it talks to (none installed: the real ones).
struct BgmModuleState {
    std::int32_t lastApiResult = 0;
    std::string lastMciReply;
    bool cdKeepPolling = false;
    std::string replyBuffer;
    std::string errorTextBuffer;
    std::string mp3ModeBuffer;
    std::string cdModeBuffer;
    MciChannel* channel = nullptr;
    WaveSound* wave = nullptr;
};

// Result code of the last multimedia or sound call that records it; saver-wide. It means two
// things: after an MCI command an MCI code, 0 for success; after PlayWav or StopWav a sound
// call's result, non-zero for success. Read it through the two below, which say which.
extern std::int32_t& LastApiResult;
inline bool LastMciCallSucceeded() {
    return LastApiResult == 0;
}
inline bool LastSoundCallSucceeded() {
    return LastApiResult != 0;
}
// Reply, or error text, of the last command sent by QueryMci or PlayCdRange.
extern std::string& LastMciReply;
// True while the CD upkeep should go on; the run form copies it into its CD timer.
extern bool& CdKeepPolling;

// Sizes of the buffers the replies land in, in characters with the closing NUL.
inline constexpr std::size_t MciReplyLength = 512;
inline constexpr std::size_t MciErrorTextLength = 256;
inline constexpr std::size_t Mp3ModeLength = 30;
inline constexpr std::size_t CdModeLength = 255;

// The command channel: returns 0 with the reply, or the error code with its error text.
std::int32_t SendMciCommand(const std::string& command, std::string& reply);
// The reply of a query, or "Error:" and the code when it fails.
std::string QueryMci(const std::string& command);

void PlayMp3();
bool IsMp3Playing();
void Mp3Tick(); // every 1000 ms while the MP3 plays
void StopMp3();
void PlayWav();
void StopWav();

void OpenCdAudio();
void CdAudioTick(); // every 200 ms while CdKeepPolling holds
// "play <device>", with " from <start>" and " to <end>" when they are not empty.
std::int32_t PlayCdRange(const std::string& device, const std::string& start,
                         const std::string& end);
void StopCdAudio();

// For tests: while it lives, the music goes to these services and the module starts afresh;
// when it goes, the state it replaced (the real services, by default) comes back.
class BgmPlatformGuard {
public:
    BgmPlatformGuard(MciChannel& channel, WaveSound& wave);
    ~BgmPlatformGuard();
    BgmPlatformGuard(const BgmPlatformGuard&) = delete;
    BgmPlatformGuard& operator=(const BgmPlatformGuard&) = delete;

private:
    BgmModuleState replaced_;
};

} // namespace quillaro
