#include "CdioDrive.h"

#include "../mci/MciErrors.h"

#include <cdio/cdio.h>
#include <cdio/memory.h>
#include <cdio/mmc.h>
#include <cstdlib>

namespace quillaro {
namespace {

constexpr int TrayIsOpen = 1;

bool isImageDriver(driver_id_t id) {
    return id == DRIVER_BINCUE || id == DRIVER_CDRDAO || id == DRIVER_NRG;
}

} // namespace

void CdioDrive::CdioCloser::operator()(_CdIo* cdio) const {
    cdio_destroy(cdio);
}

std::int32_t CdioDrive::open(std::unique_ptr<CdDrive>& out, CdReadMethod method) {
    SdlAudioOutput::quietLibraries();
    std::string source;
    if (const char* named = std::getenv(DriveVariable); named && *named) {
        source = named;
    } else if (char* found = cdio_get_default_device(nullptr)) {
        source = found;
        cdio_free(found);
    }
    if (source.empty())
        return mci_error::InvalidDeviceName;
    std::unique_ptr<_CdIo, CdioCloser> cdio(cdio_open(source.c_str(), DRIVER_UNKNOWN));
    if (!cdio)
        return mci_error::InvalidDeviceName;
    out = std::make_unique<CdioDrive>(Passkey{}, std::move(cdio), method);
    return 0;
}

CdioDrive::CdioDrive(Passkey, std::unique_ptr<_CdIo, CdioCloser> cdio, CdReadMethod method)
    : cdio_(std::move(cdio)) {
    image_ = isImageDriver(cdio_get_driver_id(cdio_.get()));
    readToc();
    bool usePlain = method == CdReadMethod::Plain || (method == CdReadMethod::Automatic && image_);
    CdIo_t* handle = cdio_.get();
    player_ = std::make_unique<CdPcmPlayer>(
        SdlAudioOutput::acquire(), [handle, usePlain]() -> std::unique_ptr<CdSectorReader> {
            if (usePlain)
                return CdSectorReader::plain(handle);
            return CdSectorReader::paranoia(handle);
        });
}

CdioDrive::~CdioDrive() {
    player_.reset();
}

void CdioDrive::readToc() {
    track_t first = cdio_get_first_track_num(cdio_.get());
    track_t count = cdio_get_num_tracks(cdio_.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        media_ = !image_ && mmc_get_tray_status(cdio_.get()) == TrayIsOpen ? CdMedia::TrayOpen
                                                                           : CdMedia::NoDisc;
        return;
    }
    toc_.firstTrack = first;
    for (track_t t = first; t < first + count; ++t) {
        toc_.trackStart.push_back(cdio_get_track_lsn(cdio_.get(), t));
        toc_.audio.push_back(cdio_get_track_format(cdio_.get(), t) == TRACK_FORMAT_AUDIO);
    }
    toc_.leadout = cdio_get_track_lsn(cdio_.get(), CDIO_CDROM_LEADOUT_TRACK);
    media_ = toc_.leadout > toc_.trackStart.front() ? CdMedia::Present : CdMedia::NoDisc;
}

bool CdioDrive::play(std::int32_t from, std::int32_t to) {
    return player_->play(from, to);
}
void CdioDrive::stop() {
    player_->stop();
}
bool CdioDrive::playing() const {
    return player_->playing();
}
std::int32_t CdioDrive::position() const {
    return player_->position();
}
std::chrono::nanoseconds CdioDrive::workerCpuTime() const {
    return player_->workerCpuTime();
}

} // namespace quillaro
