// The "cdaudio" device: plays the disc in the CD drive, answers its status and keeps the current
// position while stopped, as the Windows CD audio device does. Commands it accepts (after
// "<verb> cdaudio"):
//   play [from P] [to P]       P in the current time format; from defaults to the current
//                              position, to to the end of the disc's sound; a from inside a
//                              data track is out of range (282)
//   stop
//   set time format tmsf|msf|milliseconds|ms
//   status mode                "playing", "stopped", "not ready" (no disc), "open" (tray open)
//   status current track       the track number, such as "3"
//   status number of tracks    such as "12"
//   status position            the current position
//   status position track N    the start of track N ("03:00:00:00" in tmsf)
//   status length [track N]    of the disc or of one track
//   status media present | ready   "true" or "false"
//   status time format         "tmsf", "msf" or "milliseconds"
// Data tracks hold no sound: a play from the current position starts at the next audio track,
// and every play ends before the next data track (on an enhanced CD, before the unreadable gap
// to its data session). Once the disc has
// played to the end of its sound, or up to a sector that cannot be read, the position goes back
// to its first audio track, so a later plain "play" starts the disc again rather than failing at
// the same sector; a disc found gone then answers "not ready".
#pragma once

#include "CdTimeFormat.h"
#include "MciDevice.h"
#include "common/Result.h"

#include <memory>
#include <optional>

namespace quillaro {

class CdAudioDevice : public MciDevice {
public:
    explicit CdAudioDevice(std::unique_ptr<CdDrive> drive);
    ~CdAudioDevice() override;

private:
    MciReply carryOut(MciCommand& command) override;
    MciReply statusItem(MciCommand& command) override;
    MciReply play(MciCommand& command);
    MciReply set(MciCommand& command);
    std::int32_t currentSector();
    std::int32_t discStart() const;
    bool isAudio(int track) const;
    // Where sound is heard from the sector on: the sector itself within the sound, else the start
    // of the next audio track; nothing when only data or the lead-out follows.
    std::optional<std::int32_t> soundFrom(std::int32_t sector) const;
    // The end of the unbroken row of audio tracks that holds the sector.
    std::int32_t soundEnd(std::int32_t sector) const;
    // A track number word: the track, or the code of what is wrong with it.
    Result<int, std::int32_t> readTrack(MciCommand& command) const;

    std::unique_ptr<CdDrive> drive_;
    CdTimeFormatKind format_ = CdTimeFormatKind::Msf;
    std::int32_t position_ = 0;
    bool started_ = false; // a play was started and has not been seen to end
};

} // namespace quillaro
