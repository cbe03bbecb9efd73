// Escape on the keyboard, seen by the saver whoever holds the keyboard: raw key presses of the
// master keyboards (XInput 2.1 or later), asked for on the root window through a connection of
// the saver's own and read from its socket by the event loop. The server hands raw events to a
// client even while another client has grabbed the keyboard, so a renderer that holds the grab
// but no longer runs cannot keep Escape from the saver.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace quillaro {

class XConnection;

class XEscapeKeyWatch {
public:
    // Calls onEscape on the GUI thread for every press of a key that gives Escape. Without a
    // display or XInput 2.1 nothing is watched.
    explicit XEscapeKeyWatch(std::function<void()> onEscape, const char* displayName = nullptr);
    ~XEscapeKeyWatch();
    XEscapeKeyWatch(const XEscapeKeyWatch&) = delete;
    XEscapeKeyWatch& operator=(const XEscapeKeyWatch&) = delete;

private:
    void readEvents();

    std::unique_ptr<XConnection> connection_;
    std::unique_ptr<QSocketNotifier> notifier_;
    int xinputOpcode_ = 0;
    int escapeKey_ = 0; // the key code that gives Escape
    std::function<void()> onEscape_;
};

} // namespace quillaro
