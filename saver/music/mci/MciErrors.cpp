#include "MciErrors.h"

#include <array>
#include <utility>

namespace quillaro::mci_error {
namespace {

const std::array<std::pair<std::int32_t, const char*>, 19> Texts{{
    {Hardware, "The sound device failed, or there is no sound output."},
    {UnrecognizedKeyword, "The command contains a word that this device does not accept."},
    {UnrecognizedCommand, "The first word of the command is not a known command."},
    {InvalidDeviceName, "The device is not open, or there is no device of that name."},
    {DeviceOpen, "A device of that name, or the CD drive, is already open; close it first or "
                 "use another alias."},
    {MissingCommandString, "The command is empty."},
    {MissingStringArgument, "A word of the command needs a text after it."},
    {BadInteger, "A number or position in the command cannot be read."},
    {MissingParameter, "The command needs more words."},
    {UnsupportedFunction, "The device does not support this command."},
    {FileNotFound, "The file cannot be found."},
    {DeviceNotReady, "The device is not ready: there is no disc in the drive."},
    {ExtensionNotFound, "No device type is known for this file extension; name one with type."},
    {OutOfRange, "The track or position is not on the disc, or holds no sound."},
    {DuplicateAlias, "The alias is already in use."},
    {MissingDeviceName, "The command names no device."},
    {BadTimeFormat, "The time format is not known to this device."},
    {NoClosingQuote, "A quoted name has no closing double quote."},
    {InvalidFile, "The file cannot be played: it does not decode as sound."},
}};

} // namespace

std::optional<std::string> text(std::int32_t code) {
    for (const auto& [known, words] : Texts)
        if (known == code)
            return std::string(words);
    return std::nullopt;
}

} // namespace quillaro::mci_error
