// A 24-bit picture that owns its pixels: rows top row first, packed without padding, 3 bytes per
// pixel in the order red, green, blue. Every picture the saver prepares (a desktop capture, a
// loaded picture file, a mirrored copy) is one of these until the hand-off writer turns it into
// the renderer's bottom-up BGR layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace quillaro {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Leaves new elements as they are on resize(), so that each constructor writes every byte once.
template <typename T> struct NoInitAllocator : std::allocator<T> {
    template <typename U> struct rebind { using other = NoInitAllocator<U>; };
    template <typename U> void construct(U* p) { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        std::allocator_traits<std::allocator<T>>::construct(*this, p, std::forward<Args>(args)...);
    }
};

class Image24 {
public:
    using Bytes = std::vector<std::uint8_t, NoInitAllocator<std::uint8_t>>;

    static constexpr int BytesPerPixel = 3;
    // Larger sides are refused: no screen or picture the saver handles comes near, and it keeps
    // every byte offset well inside 64 bits and every coordinate inside int.
    static constexpr int MaxSide = 1 << 16;

    Image24() = default;
    // A width x height picture filled with one colour. A side that is not positive, or larger
    // than MaxSide, gives the empty picture.
    Image24(int width, int height, Rgb fill = {});
    // The same size with its pixels left unset, for a caller that writes every row next (a
    // capture decoding into it, 6 MB at full HD, need not clear it first).
    static Image24 forOverwrite(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0; }
    std::size_t rowBytes() const { return static_cast<std::size_t>(width_) * BytesPerPixel; }

    // No bounds checks: callers stay inside 0 <= x < width, 0 <= y < height.
    std::uint8_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * rowBytes(); }
    const std::uint8_t* row(int y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * rowBytes();
    }
    Rgb pixel(int x, int y) const {
        const std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * BytesPerPixel;
        return {p[0], p[1], p[2]};
    }
    void setPixel(int x, int y, Rgb c) {
        std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * BytesPerPixel;
        p[0] = c.red;
        p[1] = c.green;
        p[2] = c.blue;
    }

    const Bytes& bytes() const { return pixels_; }

    friend bool operator==(const Image24&, const Image24&) = default;

private:
    bool resize(int width, int height);

    int width_ = 0;
    int height_ = 0;
    Bytes pixels_;
};

} // namespace quillaro
