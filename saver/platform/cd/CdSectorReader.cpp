#include "CdSectorReader.h"

#include <bit>
#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
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
    explicit PlainReader(CdIo_t* cdio) : cdio_(cdio) {}
    bool read(std::int32_t first, int count, std::int16_t* out) override {
        if (cdio_read_audio_sectors(cdio_, out, first, static_cast<std::uint32_t>(count)) !=
            DRIVER_OP_SUCCESS)
            return false;
        littleEndianToHost(out, static_cast<std::size_t>(count) * SectorSamples);
        return true;
    }

private:
    CdIo_t* cdio_;
};

class ParanoiaReader : public CdSectorReader {
public:
    ParanoiaReader(cdrom_drive_t* drive, cdrom_paranoia_t* paranoia)
        : drive_(drive), paranoia_(paranoia) {}
    ~ParanoiaReader() override {
        cdio_paranoia_free(paranoia_);
        cdio_cddap_close_no_free_cdio(drive_);
    }
    bool read(std::int32_t first, int count, std::int16_t* out) override {
        if (first != next_)
            cdio_paranoia_seek(paranoia_, first, SEEK_SET);
        for (int i = 0; i < count; ++i) {
            // Paranoia hands back samples already in the host's byte order.
            const std::int16_t* sector = cdio_paranoia_read_limited(paranoia_, nullptr, MaxRetries);
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
    cdrom_drive_t* drive_;
    cdrom_paranoia_t* paranoia_;
    std::int32_t next_ = -1;
};

} // namespace

std::unique_ptr<CdSectorReader> CdSectorReader::plain(CdIo_t* cdio) {
    return std::make_unique<PlainReader>(cdio);
}

std::unique_ptr<CdSectorReader> CdSectorReader::paranoia(CdIo_t* cdio) {
    cdrom_drive_t* drive = cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr);
    if (!drive)
        return nullptr;
    if (cdio_cddap_open(drive) != 0) {
        cdio_cddap_close_no_free_cdio(drive);
        return nullptr;
    }
    cdrom_paranoia_t* paranoia = cdio_paranoia_init(drive);
    if (!paranoia) {
        cdio_cddap_close_no_free_cdio(drive);
        return nullptr;
    }
    cdio_paranoia_modeset(paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    return std::make_unique<ParanoiaReader>(drive, paranoia);
}

} // namespace quillaro
