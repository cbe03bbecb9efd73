// Window lookup by title on the X server. The whole window tree is walked from the root, so
// top-level windows that a window manager has put into frames are found too, and unmapped
// windows count. A title is a window's _NET_WM_NAME (UTF-8) or its WM_NAME (Latin-1 STRING
// or UTF-8); freeglut sets only the latter.
//
// The walk runs every half second during a run, so it goes level by level: the requests for
// every window of one level are sent together and their replies read afterwards, which costs
// one round trip per level of the tree instead of several per window.
#pragma once

#include "WindowLookup.h"

#include <cstdint>
#include <memory>
#include <string>

struct xcb_connection_t;

namespace quillaro {

class XWindowLookup : public WindowLookup {
public:
    // Connects to the display named by DISPLAY (or the name given). Without a connection every
    // lookup finds nothing.
    explicit XWindowLookup(const char* displayName = nullptr);
    ~XWindowLookup() override;

    bool connected() const { return connection_ != nullptr; }
    WindowId findWindow(std::string_view title) override;
    // Looks for a window of that title and, when there is none, makes a never-shown one that
    // carries it, as one step for the X server: it serves no other client in between, so of
    // two processes doing this at once only one makes the window. The window lives as long as
    // this connection. Returns it; 0 when one of that title was there (or no connection).
    WindowId makeUnlessFound(std::string_view title);

    // How many windows the last lookup looked at (the benchmark reports it).
    std::size_t windowsVisited() const { return visited_; }

private:
    struct ConnectionCloser {
        void operator()(xcb_connection_t* c) const;
    };
    std::unique_ptr<xcb_connection_t, ConnectionCloser> connection_;
    std::uint32_t root_ = 0;
    std::uint32_t netWmName_ = 0;
    std::uint32_t utf8String_ = 0;
    std::size_t visited_ = 0;
};

} // namespace quillaro
