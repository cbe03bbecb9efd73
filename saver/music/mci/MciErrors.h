// Error codes of the music command layer, numbered as the Windows multimedia command service
// numbers them (callers show them as "Error:263" and the like), and our own texts for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillaro::mci_error {

inline constexpr std::int32_t Hardware = 262;             // no sound output, device failed
inline constexpr std::int32_t UnrecognizedKeyword = 259;  // a word the command does not take
inline constexpr std::int32_t UnrecognizedCommand = 261;  // the first word is no command
inline constexpr std::int32_t InvalidDeviceName = 263;    // not open, or no such device
inline constexpr std::int32_t DeviceOpen = 265;           // the name or the CD drive is open
inline constexpr std::int32_t MissingCommandString = 267; // empty command
inline constexpr std::int32_t MissingStringArgument = 269;
inline constexpr std::int32_t BadInteger = 270;       // a number or position that does not parse
inline constexpr std::int32_t MissingParameter = 273; // a command that needs more words
inline constexpr std::int32_t UnsupportedFunction = 274;
inline constexpr std::int32_t FileNotFound = 275;
inline constexpr std::int32_t DeviceNotReady = 276;    // no disc in the drive
inline constexpr std::int32_t ExtensionNotFound = 281; // no device type for the file's extension
inline constexpr std::int32_t OutOfRange = 282; // a track or position the disc lacks, or data
inline constexpr std::int32_t DuplicateAlias = 289;
inline constexpr std::int32_t MissingDeviceName = 292;
inline constexpr std::int32_t BadTimeFormat = 293;
inline constexpr std::int32_t NoClosingQuote = 294;
inline constexpr std::int32_t InvalidFile = 296; // the file does not decode

// The English text for a code of this layer; nothing for any other code.
std::optional<std::string> text(std::int32_t code);

} // namespace quillaro::mci_error
