// A CD drive (or disc image) as the cdaudio device needs it: the table of contents read when it
// was opened, and a transport that plays a range of sectors on its own. Positions are logical
// sector numbers (75 sectors a second, the first sector of the disc's program area is 0).
// CdioDrive is the real one.
#pragma once

#include <cstdint>
#include <vector>

namespace quillaro {

enum class CdMedia { Present, NoDisc, TrayOpen };

struct CdToc {
    int firstTrack = 1;
    std::vector<std::int32_t> trackStart; // first sector of each track, from firstTrack on
    std::vector<bool> audio;              // whether each track holds sound
    std::int32_t leadout = 0;             // the sector after the last track
    // On a disc whose data follows in a session of its own (an enhanced CD), the sector after
    // the sound of the first session: the gap between the sessions cannot be read. 0 otherwise.
    std::int32_t firstSessionEnd = 0;

    int trackCount() const { return static_cast<int>(trackStart.size()); }
    int lastTrack() const { return firstTrack + trackCount() - 1; }
    bool hasTrack(int track) const { return track >= firstTrack && track <= lastTrack(); }
    std::int32_t startOf(int track) const { return trackStart[track - firstTrack]; }
    std::int32_t endOf(int track) const {
        return track == lastTrack() ? leadout : startOf(track + 1);
    }
};

class CdDrive {
public:
    virtual ~CdDrive() = default;

    // As found when the drive was opened; once a play has ended on a failed read, as found by
    // the look at the disc that the reading side made before the play was seen to end.
    virtual CdMedia media() const = 0;
    // Meaningful only while media() is Present.
    virtual const CdToc& toc() const = 0;

    // Plays sectors [from, to) and returns at once. False when there is no sound output.
    virtual bool play(std::int32_t from, std::int32_t to) = 0;
    // Stops at once; position() then stays where the sound was.
    virtual void stop() = 0;
    // False once stopped, and once the range has been played to its end or up to a sector that
    // could not be read.
    virtual bool playing() const = 0;
    // The sector being heard while playing; where the sound stopped afterwards (the end of the
    // range when it played to its end).
    virtual std::int32_t position() const = 0;
    // True when the last play ended early because the disc could not be read.
    virtual bool readFailed() const = 0;
};

} // namespace quillaro
