// Feeds arbitrary bytes to the picture loader, both as a file and from memory, and checks
// that a picture it accepts is exactly what the bytes hold.
#include "Bitmap24Loader.h"
#include "common/Bmp24.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

// One anonymous in-memory file, rewritten for every input, read back through its path.
int memoryFile() {
    static int fd = memfd_create("bitmap24", MFD_CLOEXEC);
    require(fd >= 0);
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillaro;
    int fd = memoryFile();
    require(ftruncate(fd, 0) == 0);
    require(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    auto fromFile = loadBitmap24("/proc/self/fd/" + std::to_string(fd));
    auto fromMemory = decodeBitmap24({data, size});

    require(fromFile.has_value() == fromMemory.has_value());
    if (!fromMemory)
        return 0;
    const LoadedPicture& picture = *fromMemory;
    require(picture.width > 0 && picture.height > 0);
    require(picture.pixels.size() == std::size_t{picture.width} * picture.height);
    require(size >= bmp24::PixelOffset + bmp24::stride(picture.width) * picture.height);
    require(bmp24::readLe16(data + bmp24::OffBitsPerPixel) == 24);
    // The first record is the first stored pixel, red first; the last record is the last
    // pixel of the last stored row.
    const std::uint8_t* first = data + bmp24::PixelOffset;
    require(picture.pixels.front().red == first[2] && picture.pixels.front().blue == first[0]);
    const std::uint8_t* last = data + bmp24::PixelOffset +
                               bmp24::stride(picture.width) * (picture.height - 1) +
                               3 * (picture.width - 1);
    require(picture.pixels.back().red == last[2] && picture.pixels.back().green == last[1]);
    require(fromFile->width == picture.width && fromFile->height == picture.height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        require(fromFile->pixels[i].red == picture.pixels[i].red &&
                fromFile->pixels[i].green == picture.pixels[i].green &&
                fromFile->pixels[i].blue == picture.pixels[i].blue);
    return 0;
}
