// The real devices under the command interpreter: music files through SDL2_mixer on the shared
// sound output, the CD drive through libcdio.
#pragma once

#include "MciBackend.h"

namespace quillaro {

class SdlCdioBackend : public MciBackend {
public:
    Result<std::unique_ptr<MusicStream>, std::int32_t> openMusic(const std::string& path) override;
    Result<std::unique_ptr<CdDrive>, std::int32_t> openCdDrive() override;
};

} // namespace quillaro
