// A reply that xcb hands over, owned by one pointer: xcb allocates each reply (and each error)
// with malloc and leaves freeing it to the caller, exactly once. A reply can be moved on but
// never copied, since a copy would free it a second time.
#pragma once

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace quillaro {

struct XcbFree {
    void operator()(void* memory) const noexcept { std::free(memory); }
};

template <typename Reply> using XcbReply = std::unique_ptr<Reply, XcbFree>;

// Waits for the reply to cookie through xcb's fetch function for its request. An error reply
// (a window that vanished meanwhile) is freed and gives no reply.
template <typename Reply, typename Cookie>
XcbReply<Reply> takeReply(xcb_connection_t* c, Cookie cookie,
                          Reply* (*fetch)(xcb_connection_t*, Cookie, xcb_generic_error_t**)) {
    xcb_generic_error_t* error = nullptr;
    XcbReply<Reply> reply(fetch(c, cookie, &error));
    XcbReply<xcb_generic_error_t> dropped(error);
    return reply;
}

} // namespace quillaro
