// An open device of the music command layer: it carries out the commands addressed to its name.
#pragma once

#include "MciChannel.h"
#include "MciCommand.h"
#include "MciErrors.h"

namespace quillaro {

class MciDevice {
public:
    virtual ~MciDevice() = default;
    // Carries out play, stop, status, set and the like; the command is positioned after the
    // device name. Closing is the interpreter's, by destroying the device.
    MciReply execute(MciCommand& command) {
        if (command.verb() != "status")
            return carryOut(command);
        // Every device answers one item a status command, and refuses words after it.
        MciReply reply = statusItem(command);
        if (reply.code == 0 && !command.atEnd())
            return MciReply::fail(mci_error::UnrecognizedKeyword);
        return reply;
    }

protected:
    // The answer to "status <item>"; the command is positioned at the item.
    virtual MciReply statusItem(MciCommand& command) = 0;
    // Every command but status.
    virtual MciReply carryOut(MciCommand& command) = 0;
};

} // namespace quillaro
