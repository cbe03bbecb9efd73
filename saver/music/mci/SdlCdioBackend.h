// The real devices under the command interpreter: music files through SDL2_mixer on the shared
// sound output, the CD drive through libcdio.
#pragma once

#include "MciBackend.h"

namespace quillaro {

class SdlCdioBackend : public MciBackend {
public:
    std::int32_t openMusic(const std::string& path, std::unique_ptr<MusicStream>& out) override;
    std::int32_t openCdDrive(std::unique_ptr<CdDrive>& out) override;
};

} // namespace quillaro
