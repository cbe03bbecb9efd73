// What the command interpreter needs from the platform: a player for a music file and the CD
// drive. SdlCdioBackend is the real one; interpreter tests pass fakes.
#pragma once

#include "MusicStream.h"
#include "music/cd/CdDrive.h"

#include <cstdint>
#include <memory>
#include <string>

namespace quillaro {

class MciBackend {
public:
    virtual ~MciBackend() = default;
    // Opens the file for playing: 0 and the stream, or an error code (file not found, does not
    // decode, no sound output).
    virtual std::int32_t openMusic(const std::string& path, std::unique_ptr<MusicStream>& out) = 0;
    // Opens the CD drive: 0 and the drive (which may hold no disc), or an error code when there
    // is no drive at all.
    virtual std::int32_t openCdDrive(std::unique_ptr<CdDrive>& out) = 0;
};

} // namespace quillaro
