#include "CdSectorReader.h"

#include "CdioLibrary.h"

#include <bit>
#include <cstring>

namespace quillaro {
namespace {

// Audio CDs hold little-endian samples.
void littleEndianToHost(std::int16_t* samples, std::size_t count) {
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i < count; ++i) {
            auto v = static_cast<std::uint16_t>(samples[i]);
            samples[i] = static_cast<std::int16_t>((v >> 8) | (v << 8));
        }
    }
}

class PlainReader : public CdSectorReader {
public:
    PlainReader(const CdioLibrary& lib, CdIo_t* cdio) : lib_(lib), cdio_(cdio) {}
    bool read(std::int32_t first, int count, std::int16_t* out) override {
        // One sector a call: a read of several that runs off the end of an image file reports
        // success with only some of them filled, while a single sector comes whole or not at all.
        for (int i = 0; i < count; ++i)
            if (lib_.ReadAudioSectors(cdio_, out + static_cast<std::size_t>(i) * SectorSamples,
                                      first + i, 1) != DRIVER_OP_SUCCESS)
                return false;
        littleEndianToHost(out, static_cast<std::size_t>(count) * SectorSamples);
        return true;
    }

private:
    const CdioLibrary& lib_;
    CdIo_t* cdio_;
};

// Paranoia's view of the drive; the libcdio handle under it stays with its owner. Both exist
// only once the library is loaded.
struct DriveCloser {
    void operator()(cdrom_drive_t* drive) const { CdioLibrary::get()->CddaClose(drive); }
};
struct ParanoiaFreer {
    void operator()(cdrom_paranoia_t* paranoia) const {
        CdioLibrary::get()->ParanoiaFree(paranoia);
    }
};
using DriveHandle = std::unique_ptr<cdrom_drive_t, DriveCloser>;
using ParanoiaHandle = std::unique_ptr<cdrom_paranoia_t, ParanoiaFreer>;

class ParanoiaReader : public CdSectorReader {
public:
    ParanoiaReader(const CdioLibrary& lib, DriveHandle drive, ParanoiaHandle paranoia)
        : lib_(lib), drive_(std::move(drive)), paranoia_(std::move(paranoia)) {}
    bool read(std::int32_t first, int count, std::int16_t* out) override {
        if (first != next_)
            lib_.ParanoiaSeek(paranoia_.get(), first, SEEK_SET);
        for (int i = 0; i < count; ++i) {
            // Paranoia hands back samples already in the host's byte order.
            const std::int16_t* sector = lib_.ParanoiaRead(paranoia_.get(), nullptr, MaxRetries);
            if (!sector) {
                next_ = -1;
                return false;
            }
            std::memcpy(out + static_cast<std::size_t>(i) * SectorSamples, sector, SectorBytes);
        }
        next_ = first + count;
        return true;
    }

private:
    // Background music would rather skip a scratch than stall on it.
    static constexpr int MaxRetries = 3;
    const CdioLibrary& lib_;
    DriveHandle drive_;
    ParanoiaHandle paranoia_; // declared last, so freed before the drive closes
    std::int32_t next_ = -1;
};

} // namespace

// A handle to read from means the library is loaded.
std::unique_ptr<CdSectorReader> CdSectorReader::plain(CdIo_t* cdio) {
    return std::make_unique<PlainReader>(*CdioLibrary::get(), cdio);
}

std::unique_ptr<CdSectorReader> CdSectorReader::paranoia(CdIo_t* cdio) {
    const CdioLibrary& lib = *CdioLibrary::get();
    DriveHandle drive(lib.CddaIdentify(cdio, CDDA_MESSAGE_FORGETIT, nullptr));
    if (!drive || lib.CddaOpen(drive.get()) != 0)
        return nullptr;
    ParanoiaHandle paranoia(lib.ParanoiaInit(drive.get()));
    if (!paranoia)
        return nullptr;
    lib.ParanoiaModeset(paranoia.get(), PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    return std::make_unique<ParanoiaReader>(lib, std::move(drive), std::move(paranoia));
}

} // namespace quillaro
