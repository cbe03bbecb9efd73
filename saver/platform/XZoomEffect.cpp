#include "XZoomEffect.h"

#include "XConnection.h"
#include "XErrorTrap.h"

#include <chrono>
#include <cmath>
#include <deque>
#include <thread>
#include <vector>

namespace quillaro {
namespace {

// A rectangle's outline as XDrawRectangle takes it: the outline covers width + 1 pixels.
void drawOutline(Display* d, Window root, GC gc, const QRect& r) {
    XDrawRectangle(d, root, gc, r.x(), r.y(), static_cast<unsigned>(std::max(0, r.width() - 1)),
                   static_cast<unsigned>(std::max(0, r.height() - 1)));
}

int between(int a, int b, double t) {
    return static_cast<int>(std::lround(a + (b - a) * t));
}

} // namespace

XZoomEffect::XZoomEffect(const char* displayName) : displayName_(displayName ? displayName : "") {}

XZoomEffect::~XZoomEffect() = default;

std::vector<QRect> XZoomEffect::frames(const QRect& from, const QRect& to) {
    std::vector<QRect> out;
    for (int i = 1; i <= Frames; ++i) {
        // Quick at first, settling at the end.
        const double t = 1.0 - std::pow(1.0 - static_cast<double>(i) / Frames, 2.0);
        out.push_back(QRect(
            QPoint(between(from.left(), to.left(), t), between(from.top(), to.top(), t)),
            QSize(between(from.width(), to.width(), t), between(from.height(), to.height(), t))));
    }
    return out;
}

void XZoomEffect::zoom(const QRect& from, const QRect& to) {
    if (!connectTried_) {
        connectTried_ = true;
        if (auto opened = XConnection::open(displayName_.empty() ? nullptr : displayName_.c_str()))
            connection_ = std::make_unique<XConnection>(std::move(*opened));
    }
    if (!connection_)
        return;
    Display* d = connection_->display();
    const Window root = connection_->root();
    XErrorTrap trap(d);

    // XOR with every plane set turns each pixel into its opposite and back again.
    XGCValues values{};
    values.function = GXxor;
    values.foreground = WhitePixel(d, DefaultScreen(d)) ^ BlackPixel(d, DefaultScreen(d));
    values.plane_mask = AllPlanes;
    values.subwindow_mode = IncludeInferiors; // over the windows, not under them
    values.line_width = 2;
    GC gc = XCreateGC(
        d, root, GCFunction | GCForeground | GCPlaneMask | GCSubwindowMode | GCLineWidth, &values);
    if (trap.failed()) // no GC to free: its id never reached a live context
        return;

    std::deque<QRect> shown;
    for (const QRect& outline : frames(from, to)) {
        drawOutline(d, root, gc, outline);
        shown.push_back(outline);
        if (shown.size() > static_cast<std::size_t>(Trail)) {
            drawOutline(d, root, gc, shown.front());
            shown.pop_front();
        }
        XSync(d, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(FrameInterval));
    }
    for (const QRect& outline : shown)
        drawOutline(d, root, gc, outline);
    XFreeGC(d, gc);
    XSync(d, False);
}

} // namespace quillaro
