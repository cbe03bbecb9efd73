// How long the desktop branch of a run takes, piece by piece, at 1024 x 768 and 1920 x 1080, each
// on its own Xvfb: the whole capture (shared memory, and the plain image request) next to the bare
// X requests it is built on, then writing the hand-off file and mirroring a picture of that size.
// Times are wall-clock: most of the work of a capture happens inside the X server.
#include "TempDir.h"
#include "XvfbServer.h"
#include "capture/Lumivane_C.h"
#include "graphics/Bmp24Saver.h"
#include "graphics/PixelDecoder.h"
#include "graphics/Raster.h"
#include "platform/XConnection.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <benchmark/benchmark.h>
#include <memory>
#include <optional>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <vector>

namespace {

using namespace quillaro;

struct Desktop {
    int width, height;
    std::unique_ptr<test::XvfbServer> server;
    std::optional<XConnection> x;
};

// Something other than a flat colour on the desktop, so no request can take a shortcut.
void paint(Display* d, int width, int height) {
    const Window root = DefaultRootWindow(d);
    GC gc = XCreateGC(d, root, 0, nullptr);
    for (int i = 0; i < 64; ++i) {
        XSetForeground(d, gc, 0x010203u * static_cast<unsigned>(i * 4) ^ 0x3070b0u);
        XFillRectangle(d, root, gc, (i * 37) % width, (i * 53) % height,
                       static_cast<unsigned>(width / 4), static_cast<unsigned>(height / 5));
    }
    XFreeGC(d, gc);
    XSync(d, False);
}

void grabDesktop(benchmark::State& state, Desktop* s, CaptureMethod method) {
    for (auto _ : state) {
        Picture p = GrabDesktop(s->x->display(), method);
        if (p.empty())
            state.SkipWithError("capture failed");
        benchmark::DoNotOptimize(p);
    }
}

void bareGetImage(benchmark::State& state, Desktop* s) {
    Display* d = s->x->display();
    for (auto _ : state) {
        XImage* image = XGetImage(d, DefaultRootWindow(d), 0, 0, static_cast<unsigned>(s->width),
                                  static_cast<unsigned>(s->height), AllPlanes, ZPixmap);
        if (!image) {
            state.SkipWithError("XGetImage failed");
            break;
        }
        XDestroyImage(image);
    }
}

// Only the transfer: the shared image is set up once, outside the timing.
void bareShmGetImage(benchmark::State& state, Desktop* s) {
    Display* d = s->x->display();
    const int screen = DefaultScreen(d);
    XShmSegmentInfo info{};
    XImage* image = XShmCreateImage(
        d, DefaultVisual(d, screen), static_cast<unsigned>(DefaultDepth(d, screen)), ZPixmap,
        nullptr, &info, static_cast<unsigned>(s->width), static_cast<unsigned>(s->height));
    info.shmid = shmget(IPC_PRIVATE,
                        static_cast<std::size_t>(image->bytes_per_line) *
                            static_cast<std::size_t>(image->height),
                        IPC_CREAT | 0600);
    info.shmaddr = image->data = static_cast<char*>(shmat(info.shmid, nullptr, 0));
    XShmAttach(d, &info);
    XSync(d, False);
    shmctl(info.shmid, IPC_RMID, nullptr);
    for (auto _ : state) {
        if (!XShmGetImage(d, DefaultRootWindow(d), image, 0, 0, AllPlanes)) {
            state.SkipWithError("XShmGetImage failed");
            break;
        }
        XSync(d, False);
    }
    XShmDetach(d, &info);
    XSync(d, False);
    XDestroyImage(image);
    shmdt(info.shmaddr);
}

void writeHandoff(benchmark::State& state, Desktop* s) {
    const Picture p = GrabDesktop(s->x->display());
    test::TempDir dir;
    for (auto _ : state) {
        if (!saveBmp24(p.bitmap(), dir / "Lumivane.bmp"))
            state.SkipWithError("write failed");
    }
}

void mirror(benchmark::State& state, Desktop* s) {
    const Picture p = GrabDesktop(s->x->display());
    const int w = p.bitmap().width(), h = p.bitmap().height();
    Image24 out(w, h);
    for (auto _ : state) {
        StretchBlt(out, w, 0, -w, h, p.bitmap(), 0, 0, w, h);
        benchmark::DoNotOptimize(out);
    }
}

// Turning raw screen pixels into colours, without any X request: 8-8-8 in 32 bits (the usual
// screen) and 5-6-5 in 16 bits.
void decode(benchmark::State& state, Desktop* s, int bitsPerPixel) {
    const int bytesPerLine = s->width * bitsPerPixel / 8;
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(bytesPerLine) * s->height);
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(i * 31 + (i >> 9));
    const PixelDecoder decoder = bitsPerPixel == 32
                                     ? PixelDecoder::trueColor({0xFF0000, 0xFF00, 0xFF})
                                     : PixelDecoder::trueColor({0xF800, 0x07E0, 0x001F});
    for (auto _ : state) {
        Image24 out =
            decoder.decode({raw.data(), s->width, s->height, bytesPerLine, bitsPerPixel, false});
        benchmark::DoNotOptimize(out);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::vector<std::unique_ptr<Desktop>> screens;
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{1920, 1080}}) {
        auto s = std::make_unique<Desktop>(Desktop{w, h, nullptr, std::nullopt});
        s->server = std::make_unique<test::XvfbServer>(w, h);
        if (auto opened = XConnection::open(s->server->display().c_str()))
            s->x.emplace(std::move(*opened));
        if (!s->x)
            return 1;
        paint(s->x->display(), w, h);
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        Desktop* p = s.get();
        auto add = [&](const std::string& name, auto fn) {
            benchmark::RegisterBenchmark((name + "/" + size).c_str(), fn)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        };
        add("GrabDesktop_SharedMemory",
            [p](benchmark::State& st) { grabDesktop(st, p, CaptureMethod::SharedMemory); });
        add("GrabDesktop_PlainImage",
            [p](benchmark::State& st) { grabDesktop(st, p, CaptureMethod::PlainImage); });
        add("XShmGetImage_TransferOnly", [p](benchmark::State& st) { bareShmGetImage(st, p); });
        add("XGetImage_Plain", [p](benchmark::State& st) { bareGetImage(st, p); });
        add("PixelDecoder_888in32", [p](benchmark::State& st) { decode(st, p, 32); });
        add("PixelDecoder_565in16", [p](benchmark::State& st) { decode(st, p, 16); });
        add("saveBmp24_HandoffFile", [p](benchmark::State& st) { writeHandoff(st, p); });
        add("StretchBlt_MirrorAtOwnSize", [p](benchmark::State& st) { mirror(st, p); });
        screens.push_back(std::move(s));
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
