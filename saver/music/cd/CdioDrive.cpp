#include "CdioDrive.h"

#include "CdioLibrary.h"
#include "music/mci/MciErrors.h"

#include <cstdlib>
#include <filesystem>

namespace quillaro {
namespace {

constexpr int TrayIsOpen = 1;
// Between the sound of an enhanced CD and its data session: the first session's lead-out (6750
// sectors), the next one's lead-in (4500) and the pregap of its first track (150).
constexpr std::int32_t SessionGap = 11400;
constexpr unsigned DefaultMmcTimeout = 0; // libcdio's own

bool isImageDriver(driver_id_t id) {
    return id == DRIVER_BINCUE || id == DRIVER_CDRDAO || id == DRIVER_NRG;
}

// Whether a disc that was there is there still: a drive is asked whether it is ready, which can
// take as long as libcdio's command timeout; an image counts as taken out once its file is gone.
CdMedia mediaNow(const CdioLibrary& lib, CdIo_t* cdio, bool image, const std::string& source) {
    if (image) {
        std::error_code error;
        return std::filesystem::exists(source, error) ? CdMedia::Present : CdMedia::NoDisc;
    }
    const driver_return_code_t ready = lib.TestUnitReady(cdio, DefaultMmcTimeout);
    // A drive that cannot be asked this way is taken to still hold its disc.
    if (ready == DRIVER_OP_SUCCESS || ready == DRIVER_OP_UNSUPPORTED ||
        ready == DRIVER_OP_NO_DRIVER)
        return CdMedia::Present;
    return lib.GetTrayStatus(cdio) == TrayIsOpen ? CdMedia::TrayOpen : CdMedia::NoDisc;
}

} // namespace

void CdioDrive::CdioCloser::operator()(_CdIo* cdio) const {
    CdioLibrary::get()->Destroy(cdio); // a handle exists only once the library is loaded
}

Result<std::unique_ptr<CdioDrive>, std::int32_t> CdioDrive::open(CdReadMethod method) {
    // Opening the drive and reading its table of contents stay on the calling thread: the
    // saver's CD upkeep decides from the first answers after the open whether a disc is there.
    // Without libcdio no drive can be opened: the same outcome as no drive at all.
    const CdioLibrary* lib = CdioLibrary::get();
    if (!lib)
        return failure(mci_error::InvalidDeviceName);
    std::string source;
    if (const char* named = std::getenv(DriveVariable); named && *named) {
        source = named;
    } else if (char* found = lib->GetDefaultDevice(nullptr)) {
        source = found;
        lib->Free(found);
    }
    if (source.empty())
        return failure(mci_error::InvalidDeviceName);
    std::unique_ptr<_CdIo, CdioCloser> cdio(lib->Open(source.c_str(), DRIVER_UNKNOWN));
    if (!cdio)
        return failure(mci_error::InvalidDeviceName);
    return std::make_unique<CdioDrive>(Passkey<CdioDrive>{}, std::move(cdio), std::move(source),
                                       method);
}

CdioDrive::CdioDrive(Passkey<CdioDrive>, std::unique_ptr<_CdIo, CdioCloser> cdio,
                     std::string source, CdReadMethod method)
    : cdio_(std::move(cdio)), source_(std::move(source)) {
    image_ = isImageDriver(CdioLibrary::get()->GetDriverId(cdio_.get()));
    readToc();
    bool usePlain = method == CdReadMethod::Plain || (method == CdReadMethod::Automatic && image_);
    // The reader and the look at the disc each hold the handle, so it stays open until the
    // worker is done with it.
    player_ = std::make_unique<CdPcmPlayer>(
        SdlAudioOutput::acquire(),
        [handle = cdio_, usePlain]() -> std::unique_ptr<CdSectorReader> {
            // A drive that paranoia cannot take on is still read, plainly, rather than not at all.
            if (!usePlain)
                if (auto checked = CdSectorReader::paranoia(handle.get()))
                    return checked;
            return CdSectorReader::plain(handle.get());
        },
        [handle = cdio_, image = image_, source = source_] {
            return mediaNow(*CdioLibrary::get(), handle.get(), image, source);
        });
}

CdioDrive::~CdioDrive() {
    player_.reset();
}

void CdioDrive::readToc() {
    const CdioLibrary& lib = *CdioLibrary::get();
    track_t first = lib.GetFirstTrackNum(cdio_.get());
    track_t count = lib.GetNumTracks(cdio_.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        media_ = !image_ && lib.GetTrayStatus(cdio_.get()) == TrayIsOpen ? CdMedia::TrayOpen
                                                                         : CdMedia::NoDisc;
        return;
    }
    toc_.firstTrack = first;
    for (track_t t = first; t < first + count; ++t) {
        toc_.trackStart.push_back(lib.GetTrackLsn(cdio_.get(), t));
        toc_.audio.push_back(lib.GetTrackFormat(cdio_.get(), t) == TRACK_FORMAT_AUDIO);
    }
    toc_.leadout = lib.GetTrackLsn(cdio_.get(), CDIO_CDROM_LEADOUT_TRACK);
    lsn_t lastSession = 0;
    if (lib.GetLastSession(cdio_.get(), &lastSession) == DRIVER_OP_SUCCESS &&
        lastSession > SessionGap)
        toc_.firstSessionEnd = lastSession - SessionGap;
    media_ = toc_.leadout > toc_.trackStart.front() ? CdMedia::Present : CdMedia::NoDisc;
}

CdMedia CdioDrive::media() const {
    if (media_ == CdMedia::Present)
        if (std::optional<CdMedia> found = player_->mediaFound())
            return *found;
    return media_;
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
bool CdioDrive::readFailed() const {
    return player_->readFailed();
}
std::chrono::nanoseconds CdioDrive::workerCpuTime() const {
    return player_->workerCpuTime();
}

} // namespace quillaro
