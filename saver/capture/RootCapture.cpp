#include "RootCapture.h"

#include "graphics/PixelDecoder.h"
#include "platform/XErrorTrap.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <algorithm>
#include <memory>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <vector>

namespace quillaro {
namespace {

// The shared-memory capture reads the area a band of rows of about this size at a time.
constexpr long long BandBytes = 512 * 1024;

// Colour tables larger than this are not read: no indexed visual has more entries in practice,
// and a bogus size must not make us ask the server for millions of colours.
constexpr int MaxColormapEntries = 4096;

// X colours have 16 bits a channel, ours 8: take the nearest 8-bit level (cutting the low byte
// off would turn 0x18c6, 24.7 of 255, into 24).
std::uint8_t eightBits(unsigned short channel) {
    return static_cast<std::uint8_t>((channel * 255u + 32767u) / 65535u);
}

struct ImageDestroyer {
    void operator()(XImage* image) const { XDestroyImage(image); }
};
using ImagePtr = std::unique_ptr<XImage, ImageDestroyer>;

// The colormap the screen shows now: the one installed on the root's screen, else the root's.
Colormap shownColormap(Display* display, Window root, Colormap rootColormap) {
    int count = 0;
    Colormap* installed = XListInstalledColormaps(display, root, &count);
    Colormap shown = count > 0 ? installed[0] : rootColormap;
    if (installed)
        XFree(installed);
    return shown;
}

std::vector<Rgb> readColormap(Display* display, Colormap colormap, int entries) {
    std::vector<XColor> colours(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        colours[static_cast<std::size_t>(i)].pixel = static_cast<unsigned long>(i);
        colours[static_cast<std::size_t>(i)].flags = DoRed | DoGreen | DoBlue;
    }
    XQueryColors(display, colormap, colours.data(), entries);
    std::vector<Rgb> table;
    table.reserve(colours.size());
    for (const XColor& c : colours)
        table.push_back({eightBits(c.red), eightBits(c.green), eightBits(c.blue)});
    return table;
}

// How the root's pixel values turn into colours, and the palette to keep with the picture.
struct ScreenColours {
    std::optional<PixelDecoder> decoder;
    std::optional<Palette> palette;
};

ScreenColours screenColours(Display* display, Window root, const XWindowAttributes& attrs) {
    const Visual* visual = attrs.visual;
    ScreenColours out;
    if (visual->c_class == TrueColor || visual->c_class == DirectColor) {
        // A DirectColor screen also runs each channel through its colormap; we take the values
        // as they stand, which is what its default ramp gives.
        out.decoder = PixelDecoder::trueColor({static_cast<std::uint32_t>(visual->red_mask),
                                               static_cast<std::uint32_t>(visual->green_mask),
                                               static_cast<std::uint32_t>(visual->blue_mask)});
        return out;
    }
    const int entries = visual->map_entries;
    if (entries <= 0 || entries > MaxColormapEntries)
        return out;
    std::vector<Rgb> table =
        readColormap(display, shownColormap(display, root, attrs.colormap), entries);
    // A 256-colour palette screen is, on X, a PseudoColor visual with a 256-entry colormap:
    // only then does the picture keep the table.
    if (visual->c_class == PseudoColor && entries == PaletteSize) {
        Palette palette;
        std::copy(table.begin(), table.end(), palette.begin());
        out.palette = palette;
    }
    out.decoder = PixelDecoder::indexed(std::move(table));
    return out;
}

RawPixels rawOf(const XImage& image) {
    return {reinterpret_cast<const std::uint8_t*>(image.data),
            image.width,
            image.height,
            image.bytes_per_line,
            image.bits_per_pixel,
            image.byte_order == MSBFirst};
}

// A shared-memory image and its segment, taken apart in the right order whatever happens.
class SharedImage {
public:
    SharedImage(Display* display, const XWindowAttributes& attrs, int width, int height)
        : display_(display) {
        image_.reset(XShmCreateImage(display, attrs.visual, static_cast<unsigned>(attrs.depth),
                                     ZPixmap, nullptr, &info_, static_cast<unsigned>(width),
                                     static_cast<unsigned>(height)));
        if (!image_)
            return;
        const std::size_t bytes = static_cast<std::size_t>(image_->bytes_per_line) *
                                  static_cast<std::size_t>(image_->height);
        info_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (info_.shmid < 0)
            return;
        void* address = shmat(info_.shmid, nullptr, 0);
        if (address == reinterpret_cast<void*>(-1)) {
            removeSegment();
            return;
        }
        info_.shmaddr = image_->data = static_cast<char*>(address);
        info_.readOnly = False;
        XErrorTrap trap(display);
        attached_ = XShmAttach(display, &info_) && !trap.failed();
        // From here on the segment lives only as long as someone has it attached.
        removeSegment();
    }

    ~SharedImage() {
        if (attached_) {
            XShmDetach(display_, &info_);
            XSync(display_, False);
        }
        if (info_.shmaddr)
            shmdt(info_.shmaddr);
        removeSegment();
        // The image's own destroy function leaves the shared data alone.
    }

    SharedImage(const SharedImage&) = delete;
    SharedImage& operator=(const SharedImage&) = delete;

    XImage* image() const { return attached_ ? image_.get() : nullptr; }

private:
    void removeSegment() {
        if (info_.shmid >= 0 && !removed_) {
            shmctl(info_.shmid, IPC_RMID, nullptr);
            removed_ = true;
        }
    }

    Display* display_;
    XShmSegmentInfo info_{0, -1, nullptr, False};
    ImagePtr image_;
    bool attached_ = false;
    bool removed_ = false;
};

} // namespace

std::optional<RootPixels> captureRootArea(Display* display, int x, int y, int width, int height,
                                          CaptureMethod method) {
    if (!display)
        return std::nullopt;
    return captureArea(display, DefaultRootWindow(display), x, y, width, height, method);
}

std::optional<RootPixels> captureArea(Display* display, unsigned long drawable, int x, int y,
                                      int width, int height, CaptureMethod method) {
    if (!display || width <= 0 || height <= 0)
        return std::nullopt;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attrs{};
    if (!XGetWindowAttributes(display, root, &attrs) || !attrs.visual)
        return std::nullopt;
    ScreenColours colours = screenColours(display, root, attrs);
    if (!colours.decoder)
        return std::nullopt;

    Image24 pixels;
    if (method == CaptureMethod::SharedMemory) {
        if (!XShmQueryExtension(display))
            return std::nullopt;
        // A small segment, reused band after band down the area: its pages are faulted in
        // once, where a segment of the whole area (8 MB at full HD) made the server and us fault
        // in every page of it for one use, which cost more than the transfer itself.
        const int bandHeight = static_cast<int>(
            std::clamp<long long>(BandBytes / (static_cast<long long>(width) * 4), 1, height));
        SharedImage shared(display, attrs, width, bandHeight);
        XImage* band = shared.image();
        if (!band)
            return std::nullopt;
        // The bands cover every row, and a failed band drops the whole picture.
        pixels = Image24::forOverwrite(width, height);
        XErrorTrap trap(display);
        for (int top = 0; top < height; top += bandHeight) {
            band->height = std::min(bandHeight, height - top);
            if (!XShmGetImage(display, drawable, band, x, y + top, AllPlanes) || trap.failed() ||
                !colours.decoder->decodeInto(rawOf(*band), pixels, top))
                return std::nullopt;
        }
    } else {
        XErrorTrap trap(display);
        ImagePtr image(XGetImage(display, drawable, x, y, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), AllPlanes, ZPixmap));
        if (!image || trap.failed())
            return std::nullopt;
        pixels = colours.decoder->decode(rawOf(*image));
    }
    if (pixels.empty())
        return std::nullopt;
    return RootPixels{std::move(pixels), colours.palette};
}

} // namespace quillaro
