#include "XvfbServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <poll.h>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace quillaro::test {
namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

DisplayPtr openDisplay(const std::string& name) {
    DisplayPtr d(XOpenDisplay(name.c_str()));
    if (!d)
        throw std::runtime_error("cannot open display " + name);
    return d;
}

// The nearest 8-bit level to an X colour channel of 16 bits.
std::uint8_t eightBits(unsigned short channel) {
    return static_cast<std::uint8_t>((channel * 255u + 32767u) / 65535u);
}

// Asks done every 50 ms, at least once, until it says yes (true) or the time is up (false).
bool pollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
} // windows may vanish while we look

void collect(Display* d, Window w, const std::string& title, std::vector<unsigned long>& out) {
    if (windowTitle(d, w) == title)
        out.push_back(w);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i)
        collect(d, children[i], title, out);
    if (children)
        XFree(children);
}

} // namespace

std::string windowTitle(Display* d, unsigned long w) {
    // Atoms belong to one server: asked for on every call, never kept across servers.
    const Atom netWmName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, netWmName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        std::string title(reinterpret_cast<char*>(data), count);
        XFree(data);
        if (type == utf8)
            return title;
    }
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        std::string title = name;
        XFree(name);
        return title;
    }
    return {};
}

XvfbServer::XvfbServer(int width, int height, int depth, std::vector<std::string> extraArgs) {
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    ProcessOptions opts;
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    opts.args = {"-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp",
                 "-noreset",   "+extension",           "GLX"};
    opts.args.insert(opts.args.end(), extraArgs.begin(), extraArgs.end());
    opts.stderrFile = "/dev/null";
    server_ = std::make_unique<ChildProcess>("Xvfb", opts);
    close(fds[1]);

    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 15000) > 0) {
        char c = 0;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (number.empty())
        throw std::runtime_error("Xvfb did not report a display number");
    display_ = ":" + number;
}

XvfbServer::~XvfbServer() = default;

void XvfbServer::kill() {
    server_->signal(SIGKILL);
    server_->waitFor(std::chrono::seconds(10));
}

ProcessOptions XvfbServer::options(std::vector<std::string> args) const {
    ProcessOptions opts;
    opts.args = std::move(args);
    opts.setEnv["DISPLAY"] = display_;
    return opts;
}

std::vector<unsigned long> XvfbServer::findWindows(const std::string& title) const {
    auto d = openDisplay(display_);
    auto old = XSetErrorHandler(ignoreErrors);
    std::vector<unsigned long> out;
    collect(d.get(), DefaultRootWindow(d.get()), title, out);
    XSync(d.get(), False);
    XSetErrorHandler(old);
    return out;
}

bool XvfbServer::waitForWindow(const std::string& title, std::chrono::milliseconds timeout) const {
    return pollUntil([&] { return !findWindows(title).empty(); }, timeout);
}

bool XvfbServer::waitForNoWindow(const std::string& title,
                                 std::chrono::milliseconds timeout) const {
    return pollUntil([&] { return findWindows(title).empty(); }, timeout);
}

bool XvfbServer::waitForViewable(unsigned long window, std::chrono::milliseconds timeout) const {
    return pollUntil(
        [&] {
            auto d = openDisplay(display_);
            auto old = XSetErrorHandler(ignoreErrors);
            XWindowAttributes attrs{};
            const bool viewable =
                XGetWindowAttributes(d.get(), window, &attrs) && attrs.map_state == IsViewable;
            XSetErrorHandler(old);
            return viewable;
        },
        timeout);
}

void XvfbServer::requestClose(unsigned long window) const {
    auto d = openDisplay(display_);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d.get(), window, False, NoEventMask, &event);
    XFlush(d.get());
}

std::string XvfbServer::xdotool(const std::vector<std::string>& args) const {
    return runAndCapture("xdotool", options(args));
}

void XvfbServer::addMonitor(const std::string& name, bool primary, int x, int y, int width,
                            int height) const {
    auto d = openDisplay(display_);
    // The primary one takes the screen's output, as `xrandr --setmonitor NAME ... screen` does,
    // so the server lists no monitor of its own for that output beside it.
    XRRScreenResources* resources = XRRGetScreenResources(d.get(), DefaultRootWindow(d.get()));
    const bool takesOutput = primary && resources && resources->noutput > 0;
    XRRMonitorInfo* monitor = XRRAllocateMonitor(d.get(), takesOutput ? 1 : 0);
    if (takesOutput)
        monitor->outputs[0] = resources->outputs[0];
    if (resources)
        XRRFreeScreenResources(resources);
    monitor->name = XInternAtom(d.get(), name.c_str(), False);
    monitor->primary = primary ? True : False;
    monitor->x = x;
    monitor->y = y;
    monitor->width = width;
    monitor->height = height;
    monitor->mwidth = width / 4;
    monitor->mheight = height / 4;
    XRRSetMonitor(d.get(), DefaultRootWindow(d.get()), monitor);
    XFree(monitor);
    XSync(d.get(), False);
}

std::array<int, 4> XvfbServer::windowArea(unsigned long window) const {
    auto d = openDisplay(display_);
    auto old = XSetErrorHandler(ignoreErrors); // the window may have gone
    XWindowAttributes attrs{};
    Window child = 0;
    int x = 0, y = 0;
    const bool found =
        XGetWindowAttributes(d.get(), window, &attrs) &&
        XTranslateCoordinates(d.get(), window, DefaultRootWindow(d.get()), 0, 0, &x, &y, &child);
    XSync(d.get(), False);
    XSetErrorHandler(old);
    return found ? std::array<int, 4>{x, y, attrs.width, attrs.height} : std::array<int, 4>{};
}

void XvfbServer::splitIntoTwoMonitors() const {
    auto d = openDisplay(display_);
    const int width = DisplayWidth(d.get(), DefaultScreen(d.get()));
    const int height = DisplayHeight(d.get(), DefaultScreen(d.get()));
    addMonitor("L", true, 0, 0, width / 2, height);
    addMonitor("R", false, width / 2, 0, width / 2, height);
}

RgbImage XvfbServer::grabRoot() const {
    auto d = openDisplay(display_);
    Window root = DefaultRootWindow(d.get());
    XWindowAttributes attrs{};
    XGetWindowAttributes(d.get(), root, &attrs);
    XImage* img = XGetImage(d.get(), root, 0, 0, attrs.width, attrs.height, AllPlanes, ZPixmap);
    if (!img)
        throw std::runtime_error("XGetImage of the root window failed");
    RgbImage out;
    out.width = attrs.width;
    out.height = attrs.height;
    out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
    const bool plain888 = attrs.visual->c_class == TrueColor && img->red_mask == 0xff0000 &&
                          img->green_mask == 0xff00 && img->blue_mask == 0xff;
    std::map<unsigned long, std::array<std::uint8_t, 3>> colours;
    if (!plain888) {
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                colours[XGetPixel(img, x, y)] = {};
        std::vector<XColor> query;
        for (const auto& [pixel, rgb] : colours) {
            XColor c{};
            c.pixel = pixel;
            query.push_back(c);
        }
        XQueryColors(d.get(), attrs.colormap, query.data(), static_cast<int>(query.size()));
        for (const XColor& c : query)
            colours[c.pixel] = {eightBits(c.red), eightBits(c.green), eightBits(c.blue)};
    }
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            unsigned long px = XGetPixel(img, x, y);
            auto* dst = out.rgb.data() + (static_cast<size_t>(y) * out.width + x) * 3;
            if (!plain888) {
                const auto& rgb = colours[px];
                std::copy(rgb.begin(), rgb.end(), dst);
                continue;
            }
            dst[0] = static_cast<std::uint8_t>((px & img->red_mask) >> 16);
            dst[1] = static_cast<std::uint8_t>((px & img->green_mask) >> 8);
            dst[2] = static_cast<std::uint8_t>(px & img->blue_mask);
        }
    }
    XDestroyImage(img);
    return out;
}

void XvfbServer::setRootPicture(const RgbImage& picture) const {
    auto d = openDisplay(display_);
    Display* dpy = d.get();
    const Window root = DefaultRootWindow(dpy);
    const int screen = DefaultScreen(dpy);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(picture.width) * picture.height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const std::uint8_t* p = picture.rgb.data() + i * 3;
        pixels[i] = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    }
    XImage* image = XCreateImage(
        dpy, DefaultVisual(dpy, screen), 24, ZPixmap, 0, reinterpret_cast<char*>(pixels.data()),
        static_cast<unsigned>(picture.width), static_cast<unsigned>(picture.height), 32, 0);
    if (!image)
        throw std::runtime_error("XCreateImage failed");
    const Pixmap pixmap = XCreatePixmap(dpy, root, static_cast<unsigned>(picture.width),
                                        static_cast<unsigned>(picture.height), 24);
    GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
    XPutImage(dpy, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(picture.width),
              static_cast<unsigned>(picture.height));
    XFreeGC(dpy, gc);
    image->data = nullptr; // the pixels belong to the vector
    XDestroyImage(image);
    // The root keeps its own reference to the background, so the pixmap may go with us.
    XSetWindowBackgroundPixmap(dpy, root, pixmap);
    XClearWindow(dpy, root);
    XFreePixmap(dpy, pixmap);
    XSync(dpy, False);
}

void XvfbServer::savePng(const RgbImage& image, const std::filesystem::path& path) {
    auto ppm = path;
    ppm.replace_extension(".ppm");
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
        out.write(reinterpret_cast<const char*>(image.rgb.data()),
                  static_cast<std::streamsize>(image.rgb.size()));
    }
    ProcessOptions opts;
    opts.args = {ppm.string(), path.string()};
    ExitStatus status;
    runAndCapture("convert", opts, std::chrono::seconds(30), &status);
    std::filesystem::remove(ppm);
}

} // namespace quillaro::test
