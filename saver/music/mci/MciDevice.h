// An open device of the music command layer: it carries out the commands addressed to its name.
#pragma once

#include "MciChannel.h"
#include "MciCommand.h"

namespace quillaro {

class MciDevice {
public:
    virtual ~MciDevice() = default;
    // Carries out play, stop, status, set and the like; the command is positioned after the
    // device name. Closing is the interpreter's, by destroying the device.
    virtual MciReply execute(MciCommand& command) = 0;
};

} // namespace quillaro
