// The music command layer: carries out command strings as the Windows multimedia command service
// does, for the two device kinds the saver uses. Devices are addressed by their alias, or by
// their name when opened without one; names and keywords match without regard to case. Every
// command returns at once; playback goes on by itself.
//
// Commands accepted:
//   open "<file>" type MPEGVideo [alias <name>]   a music file (SDL2_mixer decodes MP3, WAV,
//   open <file.mp3|.wav|.ogg> [alias <name>]      OGG); replies with the device number
//   open cdaudio [alias <name>]                    the CD drive (or the image named by CDROM),
//                                                  under one name at a time
//   close <name> | close all
//   play, stop, pause, resume, status, set <name> ...   see MpegVideoDevice and CdAudioDevice
//   "wait" and "notify" may follow any command and are ignored.
//
// Error codes (the text of each comes from errorText):
//   261 unknown command word          263 no device of that name is open, or unknown type
//   259 a word the command does not take   265 the name, or the CD drive, is already open
//   267 empty command                 269 "type" or "alias" without its word
//   270 a position that does not parse     273 a command that needs more words
//   274 a command the device lacks    275 the file does not exist
//   276 no disc in the drive          281 no type given and the extension is not known
//   282 a track or position not on the disc, or in a data track
//                                     289 the alias is already in use
//   292 no device name                293 an unknown time format
//   294 a quote that is not closed    296 the file does not decode
//   262 there is no sound output to play through
// A reply longer than the caller's buffer is cut to the buffer's length less one, as the
// Windows call cuts it; on failure the reply is empty.
#pragma once

#include "MciBackend.h"
#include "MciChannel.h"
#include "MciDevice.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace quillaro {

class MciInterpreter : public MciChannel {
public:
    explicit MciInterpreter(std::unique_ptr<MciBackend> backend);
    ~MciInterpreter() override;

    MciReply send(std::string_view command, std::size_t replyLength) override;
    std::optional<std::string> errorText(std::int32_t code) override;

    // The reply as the Windows call leaves it in a buffer of that many characters.
    static std::string cutToBuffer(std::string text, std::size_t replyLength);

private:
    enum class DeviceKind { MpegVideo, CdAudio };
    struct OpenOptions {
        std::optional<std::string> type;
        std::optional<std::string> alias;
    };

    MciReply carryOut(std::string_view text);
    // Opening, step by step: read the options after the element, decide the kind of device
    // (by the type given, the name cdaudio, or the file's extension), then create it.
    MciReply open(MciCommand& command);
    static Result<OpenOptions, std::int32_t> openOptions(MciCommand& command);
    static Result<DeviceKind, std::int32_t> deviceKind(const OpenOptions& options,
                                                       const std::string& element);
    Result<std::unique_ptr<MciDevice>, std::int32_t> createDevice(DeviceKind kind,
                                                                  const std::string& element);
    std::string keyOf(const std::string& name) const;
    bool cdDriveOpen() const; // under any name

    std::unique_ptr<MciBackend> backend_;
    std::map<std::string, std::unique_ptr<MciDevice>> devices_; // by lower-case name
    int nextDeviceId_ = 1;
};

} // namespace quillaro
