// A music file opened as "type MPEGVideo": plays, pauses and stops it, and answers its status.
// Positions are in milliseconds. Commands it accepts (after "<verb> <alias>"):
//   play [from N]              from the current position (after stop: where it stopped; after
//                              the end: nothing plays) or from N ms; resumes a paused file
//   stop | pause | resume
//   set time format milliseconds|ms
//   status mode                "playing", "paused" or "stopped" (also once the file has ended)
//   status position | length   in milliseconds
//   status ready               "true"
//   status time format         "milliseconds"
#pragma once

#include "MciDevice.h"
#include "MusicStream.h"

#include <memory>

namespace quillaro {

class MpegVideoDevice : public MciDevice {
public:
    explicit MpegVideoDevice(std::unique_ptr<MusicStream> stream);
    ~MpegVideoDevice() override;

private:
    MciReply carryOut(MciCommand& command) override;
    MciReply statusItem(MciCommand& command) override;
    MciReply play(MciCommand& command);
    bool lengthKnown() const; // some streams cannot tell their length

    std::unique_ptr<MusicStream> stream_;
};

} // namespace quillaro
