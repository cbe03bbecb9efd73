// What the command interpreter needs from the platform: a player for a music file and the CD
// drive. SdlCdioBackend is the real one; interpreter tests pass fakes.
#pragma once

#include "MusicStream.h"
#include "common/Result.h"
#include "music/cd/CdDrive.h"

#include <cstdint>
#include <memory>
#include <string>

namespace quillaro {

class MciBackend {
public:
    virtual ~MciBackend() = default;
    // Opens the file for playing: the stream, or the error code (file not found, does not
    // decode, no sound output).
    virtual Result<std::unique_ptr<MusicStream>, std::int32_t>
    openMusic(const std::string& path) = 0;
    // Opens the CD drive: the drive (which may hold no disc), or the error code when there is no
    // drive at all.
    virtual Result<std::unique_ptr<CdDrive>, std::int32_t> openCdDrive() = 0;
};

} // namespace quillaro
