// Positions of the cdaudio device as text, in its three time formats:
//   tmsf          "TT:MM:SS:FF" track, then minutes, seconds and frames into that track
//   msf           "MM:SS:FF" from the start of the disc, the first track normally at 00:02:00
//   milliseconds  a whole number of milliseconds from the start of the disc; a sector is shown
//                 by its start rounded down, and a time is read as the first sector that starts
//                 at or after it, so every position shown reads back as the same sector
// A position given back to the device may leave out trailing parts ("3" is the start of track 3
// in tmsf, "1:30" is one and a half minutes in msf); each part is 0 to 255.
#pragma once

#include "common/Result.h"
#include "music/cd/CdDrive.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillaro {

enum class CdTimeFormatKind { Tmsf, Msf, Milliseconds };

class CdTimeFormat {
public:
    static constexpr int FramesPerSecond = 75;
    // The disc's addresses count the two seconds of lead-in before sector 0.
    static constexpr std::int32_t AddressOffset = 150;

    // The sector as text; in tmsf the track is the one that holds the sector.
    static std::string format(std::int32_t sector, CdTimeFormatKind kind, const CdToc& toc);
    // The track that holds the sector (the last track for the leadout).
    static int trackOf(std::int32_t sector, const CdToc& toc);
    // A length of so many sectors: "MM:SS:FF" in tmsf and msf, whole milliseconds otherwise.
    static std::string formatLength(std::int32_t sectors, CdTimeFormatKind kind);
    // Reads a position: the sector, or BadInteger for text that is no position and OutOfRange
    // for a track or position the disc does not have (the leadout itself is allowed, as the
    // end of a range).
    static Result<std::int32_t, std::int32_t> parse(std::string_view text, CdTimeFormatKind kind,
                                                    const CdToc& toc);
};

} // namespace quillaro
