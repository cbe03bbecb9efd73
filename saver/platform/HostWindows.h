// The services the preview asks of the window it lives in, a window of another program (the
// settings program that shows what the saver looks like): its inside size, taking the preview's
// window in as a child, and word of its end.
#pragma once

#include "WindowLookup.h"
#include "common/Result.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace quillaro {

struct PixelSize {
    int width = 0;
    int height = 0;
};

// Why the host window could not be used: the step, the window, and the X server's answer
// ("BadWindow"), or empty when no request was made.
struct HostWindowError {
    std::string what;
    WindowId window = 0;
    std::string serverAnswer;

    // One line for a person: "cannot watch the window 0x2a00003: BadWindow".
    std::string message() const {
        char id[24];
        std::snprintf(id, sizeof id, " 0x%lx", window);
        return what + id + (serverAnswer.empty() ? "" : ": " + serverAnswer);
    }
};

class HostWindows {
public:
    virtual ~HostWindows() = default;
    // The size of the window's inside, its border left out; nothing when the id names no window,
    // or names a whole screen (a root window), which is no place for a preview.
    virtual std::optional<PixelSize> insideSize(WindowId window) = 0;
    // From now on calls onDestroyed once, from the event loop, when the window is destroyed.
    // Fails when the window is gone already, or cannot be watched.
    [[nodiscard]] virtual Result<void, HostWindowError>
    watchDestruction(WindowId window, std::function<void()> onDestroyed) = 0;
    // Makes child (a window of this program, not yet shown) a child of parent at its top-left
    // corner (0, 0); fails for example when parent has gone meanwhile.
    [[nodiscard]] virtual Result<void, HostWindowError> adopt(WindowId child, WindowId parent) = 0;
};

} // namespace quillaro
