// The services the preview asks of the window it lives in, a window of another program (the
// settings program that shows what the saver looks like): its inside size, taking the preview's
// window in as a child, and word of its end.
#pragma once

#include "WindowLookup.h"

#include <functional>
#include <optional>

namespace quillaro {

struct PixelSize {
    int width = 0;
    int height = 0;
};

class HostWindows {
public:
    virtual ~HostWindows() = default;
    // The size of the window's inside, its border left out; nothing when the id names no window,
    // or names a whole screen (a root window), which is no place for a preview.
    virtual std::optional<PixelSize> insideSize(WindowId window) = 0;
    // From now on calls onDestroyed once, from the event loop, when the window is destroyed.
    // False when the window is gone already, or cannot be watched.
    virtual bool watchDestruction(WindowId window, std::function<void()> onDestroyed) = 0;
    // Makes child (a window of this program, not yet shown) a child of parent at its top-left
    // corner (0, 0); false when that failed, for example because parent has gone meanwhile.
    virtual bool adopt(WindowId child, WindowId parent) = 0;
};

} // namespace quillaro
