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
    auto stream = SdlMusicStream::load(SdlAudioOutput::acquire(), path);
    if (!stream)
        return failure(stream.error());
    return std::move(*stream);
}

Result<std::unique_ptr<CdDrive>, std::int32_t> SdlCdioBackend::openCdDrive() {
    auto drive = CdioDrive::open();
    if (!drive)
        return failure(drive.error());
    return std::move(*drive);
}

} // namespace quillaro
