// The zoom on X: outlines drawn with XOR straight onto the root window, over every window, one
// after another for about 200 ms, each rubbed out again by drawing it a second time. Nothing is
// left behind and no window of the program needs to be mapped. It waits between the outlines
// without handling any event. The connection is its own, opened at the first zoom.
#pragma once

#include "ZoomEffect.h"

#include <memory>
#include <string>
#include <vector>

namespace quillaro {

class XConnection;

class XZoomEffect : public ZoomEffect {
public:
    static constexpr int Frames = 12;        // outlines drawn from start to end
    static constexpr int FrameInterval = 16; // ms each outline is seen
    static constexpr int Trail = 3;          // outlines on the screen at once

    explicit XZoomEffect(const char* displayName = nullptr);
    ~XZoomEffect() override;
    XZoomEffect(const XZoomEffect&) = delete;
    XZoomEffect& operator=(const XZoomEffect&) = delete;

    void zoom(const QRect& from, const QRect& to) override;

    // The outlines of a zoom in the order they are drawn: from just past the start to the end.
    static std::vector<QRect> frames(const QRect& from, const QRect& to);

private:
    std::string displayName_;
    bool connectTried_ = false;
    std::unique_ptr<XConnection> connection_;
};

} // namespace quillaro
