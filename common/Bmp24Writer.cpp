#include "Bmp24Writer.h"

#include "Bmp24.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace quillaro::bmp24 {
namespace {

constexpr std::uint32_t PixelsPerMetre = 2835; // 72 dpi, what most writers store
constexpr const char* TemporarySuffix = ".XXXXXX";

// A file descriptor that is closed when it goes.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now, so that an error of the close itself is seen.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// The temporary file's name, removed when it goes unless it has been renamed into place.
class TemporaryName {
public:
    explicit TemporaryName(std::string name) : name_(std::move(name)) {}
    ~TemporaryName() {
        if (!kept_)
            ::unlink(name_.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    const std::string& name() const { return name_; }
    void keep() { kept_ = true; }

private:
    std::string name_;
    bool kept_ = false;
};

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::vector<std::uint8_t> encode(std::uint32_t width, std::uint32_t height,
                                 std::span<const std::uint8_t> rgbTopDown) {
    if (rgbTopDown.size() != std::uint64_t{width} * height * 3)
        throw std::invalid_argument("pixel data does not match the picture size");
    const std::uint64_t rowBytes = stride(width);
    const std::uint64_t imageBytes = rowBytes * height;
    std::vector<std::uint8_t> file(PixelOffset + imageBytes, 0);
    unsigned char* p = file.data();
    p[0] = 'B';
    p[1] = 'M';
    writeLe32(p + OffFileSize, static_cast<std::uint32_t>(file.size()));
    writeLe32(p + OffPixelOffset, static_cast<std::uint32_t>(PixelOffset));
    writeLe32(p + OffInfoSize, static_cast<std::uint32_t>(InfoHeaderSize));
    writeLe32(p + OffWidth, width);
    writeLe32(p + OffHeight, height);
    writeLe16(p + OffPlanes, 1);
    writeLe16(p + OffBitsPerPixel, BitsPerPixel);
    writeLe32(p + OffImageSize, static_cast<std::uint32_t>(imageBytes));
    writeLe32(p + OffImageSize + 4, PixelsPerMetre);
    writeLe32(p + OffImageSize + 8, PixelsPerMetre);
    for (std::uint32_t r = 0; r < height; ++r) {
        // File row r is picture row height - 1 - r: the bottom row comes first.
        const std::uint8_t* src = rgbTopDown.data() + std::uint64_t{height - 1 - r} * width * 3;
        unsigned char* dst = p + PixelOffset + r * rowBytes;
        for (std::uint32_t c = 0; c < width; ++c) {
            dst[3 * c] = src[3 * c + 2];
            dst[3 * c + 1] = src[3 * c + 1];
            dst[3 * c + 2] = src[3 * c];
        }
    }
    return file;
}

bool writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    if (path.empty() || !path.has_filename())
        return false;
    // The temporary lies beside the target: rename is atomic only within one file system.
    std::string pattern = path.string() + TemporarySuffix;
    const int raw = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (raw < 0)
        return false;
    Fd fd(raw);
    TemporaryName temporary(pattern);

    if (!writeAll(fd.get(), bytes.data(), bytes.size()))
        return false;
    // The data must be on disk before the new name points at it, or a crash could leave the
    // renderer a file of the right name and the wrong content.
    if (::fsync(fd.get()) != 0 || !fd.close())
        return false;
    if (::rename(temporary.name().c_str(), path.c_str()) != 0)
        return false;
    temporary.keep();

    // Make the rename itself durable; the file is already complete, so a failure here is no
    // reason to report one.
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return true;
}

} // namespace quillaro::bmp24
