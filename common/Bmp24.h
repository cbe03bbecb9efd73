// Layout of the hand-off picture: a 24-bit uncompressed Windows bitmap whose pixel rows start
// right after the 14-byte file header and the 40-byte information header, bottom row first,
// each row padded to a multiple of 4 bytes. The saver writes it, the renderer reads it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillaro::bmp24 {

inline constexpr std::size_t FileHeaderSize = 14;
inline constexpr std::size_t InfoHeaderSize = 40;
inline constexpr std::size_t PixelOffset = FileHeaderSize + InfoHeaderSize; // 54

// Field offsets from the start of the file.
inline constexpr std::size_t OffSignature = 0;
inline constexpr std::size_t OffFileSize = 2;
inline constexpr std::size_t OffPixelOffset = 10;
inline constexpr std::size_t OffInfoSize = 14;
inline constexpr std::size_t OffWidth = 18;
inline constexpr std::size_t OffHeight = 22;
inline constexpr std::size_t OffPlanes = 26;
inline constexpr std::size_t OffBitsPerPixel = 28;
inline constexpr std::size_t OffCompression = 30;
inline constexpr std::size_t OffImageSize = 34;

inline constexpr std::uint16_t BitsPerPixel = 24;

// The largest hand-off picture either program deals with: 32 Mi pixels (an 8K screen fits) and
// no side beyond 32768. The renderer refuses anything larger before reserving memory for it,
// so a hostile header cannot make it ask for gigabytes.
inline constexpr std::uint32_t MaxSide = 32768;
inline constexpr std::uint64_t MaxPixels = std::uint64_t{32} << 20;

// Bytes per stored row: 3 per pixel, rounded up to a multiple of 4. Computed in 64 bits so a
// hostile 32-bit width cannot wrap around.
constexpr std::uint64_t stride(std::uint32_t width) {
    return ((std::uint64_t{width} * 24 + 31) / 32) * 4;
}

inline std::uint16_t readLe16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t readLe32(const unsigned char* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

inline void writeLe16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline void writeLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

} // namespace quillaro::bmp24
