// Reads CD audio sectors (2352 bytes, 588 stereo frames of 16-bit samples) for the CD player's
// worker thread. Two ways: plain audio-sector reads, byte for byte, which suit disc images; and
// libcdio-paranoia, which checks and repairs what a real drive returns and works out the
// drive's byte order from the sound itself (a guess that can go wrong on silent images).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct _CdIo;

namespace quillaro {

class CdSectorReader {
public:
    static constexpr std::size_t SectorBytes = 2352;
    static constexpr std::size_t SectorSamples = SectorBytes / sizeof(std::int16_t);

    virtual ~CdSectorReader() = default;
    // Reads count sectors from first on into out (count * SectorSamples samples, in the host's
    // byte order, left channel first). False when the disc cannot be read there.
    virtual bool read(std::int32_t first, int count, std::int16_t* out) = 0;

    // The handle must outlive the reader.
    static std::unique_ptr<CdSectorReader> plain(_CdIo* cdio);
    // Nothing when paranoia cannot take the disc on.
    static std::unique_ptr<CdSectorReader> paranoia(_CdIo* cdio);
};

} // namespace quillaro
