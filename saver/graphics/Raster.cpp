#include "Raster.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace quillaro {
namespace {

constexpr int NotInSource = -1;

// For every destination coordinate from first to first+count-1 (all inside the destination
// picture), the source coordinate it takes, or NotInSource when that falls outside the source
// picture. Coordinates are 64-bit so that no pair of int arguments can overflow.
std::vector<int> axisMap(std::int64_t first, std::int64_t count, std::int64_t dest,
                         std::int64_t destSize, std::int64_t srcStart, std::int64_t srcSize,
                         std::int64_t srcLimit) {
    std::vector<int> map(static_cast<std::size_t>(count));
    const std::int64_t destLength = std::abs(destSize);
    const std::int64_t srcLength = std::abs(srcSize);
    for (std::int64_t k = 0; k < count; ++k) {
        const std::int64_t d = first + k;
        const std::int64_t i = destSize > 0 ? d - dest : dest - 1 - d;
        const std::int64_t j = ((2 * i + 1) * srcLength) / (2 * destLength);
        const std::int64_t s = srcSize > 0 ? srcStart + j : srcStart - 1 - j;
        map[static_cast<std::size_t>(k)] =
            (s >= 0 && s < srcLimit) ? static_cast<int>(s) : NotInSource;
    }
    return map;
}

// The part [begin, end) of a destination span that lies inside [0, limit).
struct Span {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::int64_t size() const { return end - begin; }
};

Span clipSpan(std::int64_t start, std::int64_t size, std::int64_t limit) {
    std::int64_t lo = size > 0 ? start : start + size;
    std::int64_t hi = size > 0 ? start + size : start;
    lo = std::max<std::int64_t>(lo, 0);
    hi = std::min<std::int64_t>(hi, limit);
    return hi > lo ? Span{lo, hi} : Span{};
}

} // namespace

bool BitBlt(Image24& dst, int xDest, int yDest, int width, int height, const Image24& src, int xSrc,
            int ySrc) {
    if (width <= 0 || height <= 0)
        return false;
    if (dst.empty() || src.empty())
        return true;
    // Clip the block so that both its source and its destination stay inside their pictures.
    const std::int64_t dx = std::int64_t{xSrc} - xDest;
    const std::int64_t dy = std::int64_t{ySrc} - yDest;
    const std::int64_t x0 = std::max({std::int64_t{xDest}, std::int64_t{0}, -dx});
    const std::int64_t y0 = std::max({std::int64_t{yDest}, std::int64_t{0}, -dy});
    const std::int64_t x1 =
        std::min({std::int64_t{xDest} + width, std::int64_t{dst.width()}, src.width() - dx});
    const std::int64_t y1 =
        std::min({std::int64_t{yDest} + height, std::int64_t{dst.height()}, src.height() - dy});
    if (x1 <= x0 || y1 <= y0)
        return true;

    const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * Image24::BytesPerPixel;
    const std::size_t dstOffset = static_cast<std::size_t>(x0) * Image24::BytesPerPixel;
    const std::size_t srcOffset = static_cast<std::size_t>(x0 + dx) * Image24::BytesPerPixel;
    // Within one picture a block moving down must copy its bottom row first, or it would read
    // rows it has already overwritten; memmove handles the overlap inside a row.
    const bool bottomUp = &dst == &src && dy < 0;
    for (std::int64_t k = 0; k < y1 - y0; ++k) {
        const std::int64_t y = bottomUp ? y1 - 1 - k : y0 + k;
        std::memmove(dst.row(static_cast<int>(y)) + dstOffset,
                     src.row(static_cast<int>(y + dy)) + srcOffset, bytes);
    }
    return true;
}

bool StretchBlt(Image24& dst, int xDest, int yDest, int wDest, int hDest, const Image24& src,
                int xSrc, int ySrc, int wSrc, int hSrc) {
    if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0)
        return false;
    if (dst.empty() || src.empty())
        return true;
    const Span xs = clipSpan(xDest, wDest, dst.width());
    const Span ys = clipSpan(yDest, hDest, dst.height());
    if (xs.size() == 0 || ys.size() == 0)
        return true;

    // Reading from the picture being drawn into would see pixels already replaced.
    std::optional<Image24> copy;
    if (&dst == &src)
        copy = src;
    const Image24& from = copy ? *copy : src;

    const std::vector<int> columns =
        axisMap(xs.begin, xs.size(), xDest, wDest, xSrc, wSrc, from.width());
    const std::vector<int> rows =
        axisMap(ys.begin, ys.size(), yDest, hDest, ySrc, hSrc, from.height());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r] == NotInSource)
            continue;
        const std::uint8_t* in = from.row(rows[r]);
        std::uint8_t* out = dst.row(static_cast<int>(ys.begin + static_cast<std::int64_t>(r))) +
                            static_cast<std::size_t>(xs.begin) * Image24::BytesPerPixel;
        for (std::size_t c = 0; c < columns.size(); ++c, out += Image24::BytesPerPixel) {
            if (columns[c] == NotInSource)
                continue;
            const std::uint8_t* p =
                in + static_cast<std::size_t>(columns[c]) * Image24::BytesPerPixel;
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
        }
    }
    return true;
}

bool GradientFill(Image24& dst, const GradientVertex& a, const GradientVertex& b) {
    const GradientVertex& top = a.y <= b.y ? a : b;
    const GradientVertex& bottom = a.y <= b.y ? b : a;
    const std::int64_t left = std::min(a.x, b.x);
    const std::int64_t right = std::max(a.x, b.x);
    const std::int64_t height = std::int64_t{bottom.y} - top.y;
    if (right == left || height == 0)
        return false;
    if (dst.empty())
        return true;
    const Span xs = clipSpan(left, right - left, dst.width());
    const Span ys = clipSpan(top.y, height, dst.height());
    if (xs.size() == 0 || ys.size() == 0)
        return true;

    auto channel = [&](std::uint16_t from, std::uint16_t to, std::int64_t step) {
        const std::int64_t delta = std::int64_t{to} - from;
        return static_cast<std::uint8_t>((from + delta * step / height) >> 8);
    };
    for (std::int64_t y = ys.begin; y < ys.end; ++y) {
        const std::int64_t step = y - top.y;
        const Rgb colour{channel(top.red, bottom.red, step), channel(top.green, bottom.green, step),
                         channel(top.blue, bottom.blue, step)};
        for (std::int64_t x = xs.begin; x < xs.end; ++x)
            dst.setPixel(static_cast<int>(x), static_cast<int>(y), colour);
    }
    return true;
}

} // namespace quillaro
