#include "Lumivane_BGM.h"

#include "common/AsciiCase.h"
#include "music/audio/SdlWaveSound.h"
#include "music/mci/MciInterpreter.h"
#include "music/mci/SdlCdioBackend.h"
#include "settings/Conversions.h"
#include "settings/Settings.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace quillaro {

namespace {

BgmModuleState bgm;

} // namespace

std::int32_t& LastApiResult = bgm.lastApiResult;
std::string& LastMciReply = bgm.lastMciReply;
bool& CdKeepPolling = bgm.cdKeepPolling;

namespace {

constexpr const char* NoCommandMessage = "コマンド文字列が指定されていません";
constexpr const char* NoErrorTextMessage = "Error (文字列が取れません)";
constexpr const char* ErrorPrefix = "Error:";
constexpr std::int32_t EmptyCommandResult = -1;
constexpr std::size_t NoReply = 0;

// The command strings, as the command service receives them.
constexpr const char* Mp3OpenHead = "open \"";
constexpr const char* Mp3OpenTail = "\" type MPEGVideo Alias MP3Play";
constexpr const char* Mp3Play = "play MP3Play";
constexpr const char* Mp3Status = "status MP3Play mode";
constexpr const char* Mp3Stop = "stop MP3Play";
constexpr const char* Mp3Restart = "play MP3Play from 0";
constexpr const char* Mp3Close = "close MP3Play";
constexpr const char* CdOpen = "open cdaudio";
constexpr const char* CdTimeFormatTmsf = "set cdaudio time format tmsf";
constexpr const char* CdCurrentTrack = "status cdaudio current track";
constexpr const char* CdTrackCount = "status cdaudio number of tracks";
constexpr const char* CdMode = "status cdaudio mode";
constexpr const char* CdTrackPosition = "status cdaudio position track ";
constexpr const char* CdStop = "stop cdaudio";
constexpr const char* CdClose = "close cdaudio";
constexpr const char* Playing = "playing";
constexpr const char* Stopped = "stopped";
constexpr std::size_t ModeLength = 7; // "playing" and "stopped" alike
constexpr const char* CdDevice = "cdaudio";
constexpr const char* ErrorMark = "ERR";

struct RealPlatform {
    MciInterpreter channel{std::make_unique<SdlCdioBackend>()};
    SdlWaveSound wave;
};

RealPlatform& realPlatform() {
    static RealPlatform platform;
    return platform;
}

MciChannel& channel() {
    return bgm.channel ? *bgm.channel : realPlatform().channel;
}
WaveSound& wave() {
    return bgm.wave ? *bgm.wave : realPlatform().wave;
}

// Text as it stands in a buffer of that many characters: cut to fit with its closing NUL.
void storeInBuffer(std::string& buffer, const std::string& text, std::size_t length) {
    buffer = text.substr(0, length - 1);
}

std::string upToNul(const std::string& buffer) {
    return buffer.substr(0, buffer.find('\0'));
}

bool startsWith(const std::string& buffer, const char* word) {
    return upToNul(buffer).compare(0, ModeLength, word) == 0;
}

BgmModuleState freshState(MciChannel& channel, WaveSound& wave) {
    BgmModuleState state;
    state.channel = &channel;
    state.wave = &wave;
    return state;
}

bool containsErrorMark(const std::string& text) {
    return asciiUpper(text).find(ErrorMark) != std::string::npos;
}

} // namespace

BgmPlatformGuard::BgmPlatformGuard(MciChannel& channel, WaveSound& wave)
    : replaced_(std::exchange(bgm, freshState(channel, wave))) {}

BgmPlatformGuard::~BgmPlatformGuard() {
    bgm = std::move(replaced_);
}

std::int32_t SendMciCommand(const std::string& command, std::string& reply) {
    if (command.empty()) {
        reply = NoCommandMessage;
        return EmptyCommandResult;
    }
    MciReply result = channel().send(command, MciReplyLength);
    LastApiResult = result.code;
    if (result.code != 0) {
        if (auto text = channel().errorText(result.code)) {
            storeInBuffer(bgm.errorTextBuffer, *text, MciErrorTextLength);
            reply = upToNul(bgm.errorTextBuffer);
        } else {
            reply = NoErrorTextMessage;
        }
        return result.code;
    }
    storeInBuffer(bgm.replyBuffer, result.text, MciReplyLength);
    reply = upToNul(bgm.replyBuffer);
    return 0;
}

std::string QueryMci(const std::string& command) {
    std::int32_t code = SendMciCommand(command, LastMciReply);
    LastApiResult = code;
    if (code != 0)
        return ErrorPrefix + std::to_string(code);
    return LastMciReply;
}

void PlayMp3() {
    std::string open = Mp3OpenHead + settings().BgmFile + Mp3OpenTail;
    if (channel().send(open, NoReply).code == 0)
        channel().send(Mp3Play, NoReply);
}

bool IsMp3Playing() {
    MciReply result = channel().send(Mp3Status, Mp3ModeLength);
    // Stored on failure too: the command service empties the buffer first, so no mode is left.
    storeInBuffer(bgm.mp3ModeBuffer, result.text, Mp3ModeLength);
    return startsWith(bgm.mp3ModeBuffer, Playing);
}

void Mp3Tick() {
    if (IsMp3Playing())
        return;
    channel().send(Mp3Stop, NoReply);
    channel().send(Mp3Restart, NoReply);
}

void StopMp3() {
    channel().send(Mp3Stop, NoReply);
    channel().send(Mp3Close, NoReply);
}

void PlayWav() {
    if (wave().outputDeviceCount() <= 0)
        return;
    LastApiResult = wave().playLooped(settings().BgmFile) ? 1 : 0;
}

void StopWav() {
    LastApiResult = wave().stop() ? 1 : 0;
}

void OpenCdAudio() {
    LastApiResult = channel().send(CdOpen, NoReply).code;
    LastApiResult = channel().send(CdTimeFormatTmsf, NoReply).code;
}

void CdAudioTick() {
    CdKeepPolling = true;
    std::string track = QueryMci(CdCurrentTrack);
    if (containsErrorMark(track)) {
        CdKeepPolling = false;
        return;
    }
    std::string count = QueryMci(CdTrackCount);
    if (containsErrorMark(count)) {
        CdKeepPolling = false;
        return;
    }
    MciReply mode = channel().send(CdMode, CdModeLength);
    LastApiResult = mode.code;
    // Stored on failure too: the command service empties the buffer first, so no mode is left.
    storeInBuffer(bgm.cdModeBuffer, mode.text, CdModeLength);
    const bool stopped = startsWith(bgm.cdModeBuffer, Stopped);

    const std::int16_t repeat = settings().BgmRepeat;
    if (repeat == 0) {
        if (stopped)
            PlayCdRange(CdDevice, "", "");
        return;
    }
    // The track is read as a number even when the device has stopped; a reply that is no
    // number ends the upkeep.
    std::optional<double> current = parseNumber(track);
    if (!current) {
        CdKeepPolling = false;
        return;
    }
    if (stopped || *current != repeat) {
        std::string start = QueryMci(std::string(CdTrackPosition) + std::to_string(repeat));
        PlayCdRange(CdDevice, start, "");
    }
}

std::int32_t PlayCdRange(const std::string& device, const std::string& start,
                         const std::string& end) {
    std::string command = "play " + device;
    if (!start.empty())
        command += " from " + start;
    if (!end.empty())
        command += " to " + end;
    return SendMciCommand(command, LastMciReply);
}

void StopCdAudio() {
    LastApiResult = channel().send(CdStop, NoReply).code;
    LastApiResult = channel().send(CdClose, NoReply).code;
}

} // namespace quillaro
