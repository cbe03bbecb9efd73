// The saver's program-wide Settings record: filled once from Quillaro.ini at start, edited by the
// settings dialog, read by the run form and the music module. Text fields hold UTF-8, except
// that the paths hold the file's name as the file system has it, bytes that need not be UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace quillaro {

struct Settings {
    // What BgmKind says; any other value means no music too.
    static constexpr std::int16_t BgmKindNone = 0;
    static constexpr std::int16_t BgmKindCd = 1;
    static constexpr std::int16_t BgmKindFile = 2; // MP3 or WAV

    std::string Capture;     // "0" desktop capture, any other number the picture file
    std::string ImageFile;   // full path of the picture, or empty
    std::string ImageFolder; // where the picture chooser starts; never stored in the file
    std::int16_t BgmKind = BgmKindNone;
    std::int16_t BgmRepeat = 0; // CD track to keep repeating, 0 for none
    std::string BgmFile;        // full path of the music file, or empty
    std::string BgmFolder;      // where the music chooser starts; never stored in the file
};

// The one record of this program.
Settings& settings();

} // namespace quillaro
