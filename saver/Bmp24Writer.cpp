#include "Bmp24Writer.h"

#include "Bmp24.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <string>
#include <unistd.h>

namespace quillaro {
namespace {

// Rows are gathered into blocks of about this size before each write, so a large picture needs
// neither one write per row nor a second copy of itself in memory.
constexpr std::size_t WriteBlockBytes = 1 << 20;
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

bool writePixels(int fd, const Image24& image) {
    const std::size_t stride =
        static_cast<std::size_t>(bmp24::stride(static_cast<std::uint32_t>(image.width())));
    const std::size_t rowsPerBlock = std::max<std::size_t>(1, WriteBlockBytes / stride);
    std::vector<std::uint8_t> block(rowsPerBlock * stride, 0); // padding stays zero
    std::size_t filled = 0;
    for (int y = image.height() - 1; y >= 0; --y) { // the file starts with the bottom row
        const std::uint8_t* in = image.row(y);
        std::uint8_t* out = block.data() + filled * stride;
        for (int x = 0; x < image.width(); ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        if (++filled == rowsPerBlock || y == 0) {
            if (!writeAll(fd, block.data(), filled * stride))
                return false;
            filled = 0;
        }
    }
    return true;
}

} // namespace

std::vector<std::uint8_t> bmp24Header(std::uint32_t width, std::uint32_t height) {
    using namespace bmp24;
    const std::uint64_t imageSize = stride(width) * height;
    std::vector<std::uint8_t> h(PixelOffset, 0);
    h[OffSignature] = 'B';
    h[OffSignature + 1] = 'M';
    writeLe32(&h[OffFileSize], static_cast<std::uint32_t>(PixelOffset + imageSize));
    writeLe32(&h[OffPixelOffset], static_cast<std::uint32_t>(PixelOffset));
    writeLe32(&h[OffInfoSize], static_cast<std::uint32_t>(InfoHeaderSize));
    writeLe32(&h[OffWidth], width);
    writeLe32(&h[OffHeight], height);
    writeLe16(&h[OffPlanes], 1);
    writeLe16(&h[OffBitsPerPixel], BitsPerPixel);
    writeLe32(&h[OffCompression], 0);
    writeLe32(&h[OffImageSize], static_cast<std::uint32_t>(imageSize));
    return h; // resolutions and colour counts stay 0
}

bool saveBmp24(const Image24& image, const std::filesystem::path& path) {
    if (image.empty() || path.empty() || !path.has_filename())
        return false;
    const auto width = static_cast<std::uint32_t>(image.width());
    const auto height = static_cast<std::uint32_t>(image.height());
    if (bmp24::PixelOffset + bmp24::stride(width) * height >
        std::numeric_limits<std::uint32_t>::max())
        return false;

    // The temporary lies beside the target: rename is atomic only within one file system.
    std::string pattern = path.string() + TemporarySuffix;
    const int raw = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (raw < 0)
        return false;
    Fd fd(raw);
    TemporaryName temporary(pattern);

    const std::vector<std::uint8_t> header = bmp24Header(width, height);
    if (!writeAll(fd.get(), header.data(), header.size()) || !writePixels(fd.get(), image))
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

} // namespace quillaro
