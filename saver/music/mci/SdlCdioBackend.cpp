#include "SdlCdioBackend.h"

#include "MciErrors.h"
#include "music/audio/SdlMusicStream.h"
#include "music/cd/CdioDrive.h"

#include <filesystem>

namespace quillaro {

Result<std::unique_ptr<MusicStream>, std::int32_t>
SdlCdioBackend::openMusic(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return failure(mci_error::FileNotFound);
    auto output = SdlAudioOutput::acquire();
    if (!output->isOpen())
        return failure(mci_error::Hardware);
    auto stream = SdlMusicStream::load(std::move(output), path);
    if (!stream)
        return failure(mci_error::InvalidFile);
    return stream;
}

Result<std::unique_ptr<CdDrive>, std::int32_t> SdlCdioBackend::openCdDrive() {
    auto drive = CdioDrive::open();
    if (!drive)
        return failure(drive.error());
    return std::move(*drive);
}

} // namespace quillaro
