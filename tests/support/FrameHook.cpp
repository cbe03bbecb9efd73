// Watches the renderer's frames from outside the program: loaded with LD_PRELOAD, it passes
// glXSwapBuffers and glRotatef on to the real ones and notes, for the frames asked for, when the
// frame reached the screen and how far the scene had turned. The renderer stays as it ships.
//
//   QUILLARO_FRAME_LOG=<file>   one line per noted frame, appended:
//                               "frame <n> ns <CLOCK_MONOTONIC> orbit <degrees>", after a line
//                               "start <program> ns <CLOCK_MONOTONIC>" for each program that
//                               loaded the hook (the saver passes it on to the renderer)
//   QUILLARO_FRAME_STOP=<n>     notes frames 1 to n, then stops the process (SIGSTOP) with
//                               frame n on the screen; without it only frame 1 is noted
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

using SwapFunction = void (*)(Display*, GLXDrawable);
using RotateFunction = void (*)(GLfloat, GLfloat, GLfloat, GLfloat);

long framesToNote() {
    const char* stop = std::getenv("QUILLARO_FRAME_STOP");
    return stop && *stop ? std::strtol(stop, nullptr, 10) : 1;
}

struct Watch {
    long frame = 0; // frames swapped so far
    long noteUpTo = framesToNote();
    bool stopAfter = std::getenv("QUILLARO_FRAME_STOP") != nullptr;
    float orbit = 0.0f; // the first turn about the vertical axis in the current frame
    bool orbitSeen = false;
    int log = -1;
};

Watch& watch() {
    static Watch w;
    return w;
}

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void writeLine(Watch& w, const char* line, int length) {
    if (w.log < 0) {
        const char* path = std::getenv("QUILLARO_FRAME_LOG");
        if (!path || !*path)
            return;
        w.log = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (w.log < 0)
            return;
    }
    if (length > 0)
        (void)!write(w.log, line, static_cast<std::size_t>(length));
}

void note(Watch& w, long long at) {
    char line[128];
    const int length = std::snprintf(line, sizeof line, "frame %ld ns %lld orbit %.4f\n", w.frame,
                                     at, static_cast<double>(w.orbit));
    writeLine(w, line, length);
}

// When each program that loaded the hook started, near enough: when it was loaded.
[[gnu::constructor]] void noteStart() {
    char line[160];
    const int length = std::snprintf(line, sizeof line, "start %s ns %lld\n",
                                     program_invocation_short_name, monotonicNanoseconds());
    writeLine(watch(), line, length);
}

} // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    static const auto real = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    real(display, drawable);
    Watch& w = watch();
    ++w.frame;
    if (w.frame <= w.noteUpTo) {
        // The frame is on the screen once the server has carried out what the swap sent it.
        XSync(display, False);
        note(w, monotonicNanoseconds());
        if (w.stopAfter && w.frame == w.noteUpTo)
            std::raise(SIGSTOP);
    }
    w.orbitSeen = false;
}

extern "C" void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    static const auto real = reinterpret_cast<RotateFunction>(dlsym(RTLD_NEXT, "glRotatef"));
    Watch& w = watch();
    if (!w.orbitSeen && x == 0.0f && y == 1.0f && z == 0.0f) {
        w.orbit = angle;
        w.orbitSeen = true;
    }
    real(angle, x, y, z);
}
