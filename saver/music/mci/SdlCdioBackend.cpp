#include "SdlCdioBackend.h"

#include "MciErrors.h"
#include "music/audio/SdlMusicStream.h"
#include "music/cd/CdioDrive.h"

#include <filesystem>

namespace quillaro {

std::int32_t SdlCdioBackend::openMusic(const std::string& path, std::unique_ptr<MusicStream>& out) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return mci_error::FileNotFound;
    auto output = SdlAudioOutput::acquire();
    if (!output->isOpen())
        return mci_error::Hardware;
    auto stream = SdlMusicStream::load(std::move(output), path);
    if (!stream)
        return mci_error::InvalidFile;
    out = std::move(stream);
    return 0;
}

std::int32_t SdlCdioBackend::openCdDrive(std::unique_ptr<CdDrive>& out) {
    return CdioDrive::open(out);
}

} // namespace quillaro
