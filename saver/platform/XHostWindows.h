// The preview's host window on X, through a connection of the saver's own: the host's inside
// size from its attributes, the preview's window moved into it with XReparentWindow before it
// is first mapped (a window that is not a child of the root is never framed by a window manager,
// and its host takes it along when it goes), and the host's DestroyNotify, asked for with
// StructureNotifyMask on this connection and read from its socket by the event loop. Every
// request on the host runs under an error trap: the host belongs to another program and may
// vanish between two requests.
#pragma once

#include "HostWindows.h"

#include <memory>

class QSocketNotifier;

namespace quillaro {

class XConnection;

class XHostWindows : public HostWindows {
public:
    // Connects to the display named by DISPLAY (or the name given); without a connection no id
    // names a window.
    explicit XHostWindows(const char* displayName = nullptr);
    ~XHostWindows() override;
    XHostWindows(const XHostWindows&) = delete;
    XHostWindows& operator=(const XHostWindows&) = delete;

    std::optional<PixelSize> insideSize(WindowId window) override;
    Result<void, HostWindowError> watchDestruction(WindowId window,
                                                   std::function<void()> onDestroyed) override;
    Result<void, HostWindowError> adopt(WindowId child, WindowId parent) override;

private:
    void readEvents();

    std::unique_ptr<XConnection> connection_;
    std::unique_ptr<QSocketNotifier> notifier_;
    WindowId watched_ = 0;
    std::function<void()> onDestroyed_;
};

} // namespace quillaro
