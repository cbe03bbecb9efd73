// How long a window lookup by title takes on trees of a desktop's size: the saver's
// level-batched xcb walk against a plain Xlib walk that waits for each reply in turn. The run
// form repeats the lookup every half second for the whole run. Every lookup here looks for a
// title that no window has, so both walks visit the whole tree.
//
// Run: build/bench/WindowLookupBench   (starts its own Xvfb)
#include "XvfbServer.h"
#include "common/ProgramNames.h"
#include "platform/XWindowLookup.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr const char* MissingTitle = quillaro::RendererWindowTitle;

quillaro::test::XvfbServer& server() {
    static quillaro::test::XvfbServer xvfb;
    return xvfb;
}

// A desktop-like tree: each top-level window is a frame with a client window holding two
// child widgets; every client window carries a title.
class DesktopTree {
public:
    explicit DesktopTree(int topLevels) : display_(XOpenDisplay(server().display().c_str())) {
        Window root = DefaultRootWindow(display_);
        for (int i = 0; i < topLevels; ++i) {
            Window frame = XCreateSimpleWindow(display_, root, 0, 0, 50, 50, 0, 0, 0);
            Window client = XCreateSimpleWindow(display_, frame, 0, 0, 40, 40, 0, 0, 0);
            XStoreName(display_, client, ("Window " + std::to_string(i)).c_str());
            XCreateSimpleWindow(display_, client, 0, 0, 10, 10, 0, 0, 0);
            XCreateSimpleWindow(display_, client, 10, 0, 10, 10, 0, 0, 0);
        }
        XSync(display_, False);
    }
    ~DesktopTree() { XCloseDisplay(display_); }
    DesktopTree(const DesktopTree&) = delete;
    DesktopTree& operator=(const DesktopTree&) = delete;

private:
    Display* display_;
};

// The straightforward walk: per window, the title properties and the children, each request
// waiting for its reply.
bool naiveFind(Display* d, Window w, const std::string& title, int& visited) {
    ++visited;
    if (quillaro::test::windowTitle(d, w) == title)
        return true;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n))
        return false;
    bool found = false;
    for (unsigned int i = 0; i < n && !found; ++i)
        found = naiveFind(d, children[i], title, visited);
    if (children)
        XFree(children);
    return found;
}

void BatchedWalk(benchmark::State& state) {
    DesktopTree tree(static_cast<int>(state.range(0)));
    quillaro::XWindowLookup lookup(server().display().c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(lookup.findWindow(MissingTitle));
    state.counters["windows"] = static_cast<double>(lookup.windowsVisited());
}

void NaiveWalk(benchmark::State& state) {
    DesktopTree tree(static_cast<int>(state.range(0)));
    Display* d = XOpenDisplay(server().display().c_str());
    int visited = 0;
    for (auto _ : state) {
        visited = 0;
        benchmark::DoNotOptimize(naiveFind(d, DefaultRootWindow(d), MissingTitle, visited));
    }
    state.counters["windows"] = visited;
    XCloseDisplay(d);
}

} // namespace

BENCHMARK(BatchedWalk)->Arg(12)->Arg(125)->Unit(benchmark::kMillisecond);
BENCHMARK(NaiveWalk)->Arg(12)->Arg(125)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
