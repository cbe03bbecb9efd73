#include "XWindowLookup.h"

#include "XcbReply.h"

#include <cstring>
#include <vector>
#include <xcb/xcb.h>

namespace quillaro {
namespace {

std::uint32_t internAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    auto reply = takeReply(c, cookie, xcb_intern_atom_reply);
    return reply ? reply->atom : static_cast<std::uint32_t>(XCB_ATOM_NONE);
}

std::string latin1ToUtf8(const char* data, int length) {
    std::string out;
    for (int i = 0; i < length; ++i) {
        auto byte = static_cast<unsigned char>(data[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// True when the property reply holds exactly title. A STRING is Latin-1 and is compared in its
// UTF-8 form; any other 8-bit text type is compared byte for byte.
bool holdsTitle(const xcb_get_property_reply_t* reply, std::string_view title) {
    if (!reply || reply->format != 8 || reply->bytes_after != 0)
        return false;
    const char* data = static_cast<const char*>(
        xcb_get_property_value(const_cast<xcb_get_property_reply_t*>(reply)));
    int length = xcb_get_property_value_length(const_cast<xcb_get_property_reply_t*>(reply));
    if (reply->type == XCB_ATOM_STRING)
        return latin1ToUtf8(data, length) == title;
    return static_cast<std::size_t>(length) == title.size() &&
           std::memcmp(data, title.data(), title.size()) == 0;
}

} // namespace

void XWindowLookup::ConnectionCloser::operator()(xcb_connection_t* c) const {
    xcb_disconnect(c);
}

XWindowLookup::XWindowLookup(const char* displayName) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(displayName, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    connection_.reset(c);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    root_ = screens.data->root;
    netWmName_ = internAtom(c, "_NET_WM_NAME");
    utf8String_ = internAtom(c, "UTF8_STRING");
}

XWindowLookup::~XWindowLookup() = default;

WindowId XWindowLookup::findWindow(std::string_view title) {
    visited_ = 0;
    if (!connection_ || title.empty() || xcb_connection_has_error(connection_.get()))
        return 0;
    xcb_connection_t* c = connection_.get();
    // Enough of each title to see whether it is longer than the one looked for.
    auto words = static_cast<std::uint32_t>(title.size() / 4 + 2);

    struct Pending {
        xcb_window_t window;
        xcb_get_property_cookie_t netName;
        xcb_get_property_cookie_t wmName;
        xcb_query_tree_cookie_t tree;
    };
    std::vector<xcb_window_t> level{root_};
    std::vector<Pending> pending;
    while (!level.empty()) {
        pending.clear();
        for (xcb_window_t w : level) {
            pending.push_back(
                {w, xcb_get_property(c, 0, w, netWmName_, utf8String_, 0, words),
                 xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, words),
                 xcb_query_tree(c, w)});
        }
        visited_ += level.size();
        level.clear();
        WindowId found = 0;
        for (const Pending& p : pending) {
            if (found) {
                xcb_discard_reply(c, p.netName.sequence);
                xcb_discard_reply(c, p.wmName.sequence);
                xcb_discard_reply(c, p.tree.sequence);
                continue;
            }
            // Windows may vanish while we look; their error replies are dropped.
            auto netName = takeReply(c, p.netName, xcb_get_property_reply);
            auto wmName = takeReply(c, p.wmName, xcb_get_property_reply);
            auto tree = takeReply(c, p.tree, xcb_query_tree_reply);

            if ((netName && netName->type == utf8String_ && holdsTitle(netName.get(), title)) ||
                (wmName && holdsTitle(wmName.get(), title))) {
                found = p.window;
                continue;
            }
            if (tree) {
                const xcb_window_t* children = xcb_query_tree_children(tree.get());
                level.insert(level.end(), children,
                             children + xcb_query_tree_children_length(tree.get()));
            }
        }
        if (found)
            return found;
    }
    return 0;
}

WindowId XWindowLookup::makeUnlessFound(std::string_view title) {
    if (!connection_ || title.empty() || xcb_connection_has_error(connection_.get()))
        return 0;
    xcb_connection_t* c = connection_.get();
    xcb_grab_server(c);
    xcb_window_t window = 0;
    if (findWindow(title) == 0) {
        window = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        // Both title properties, as the toolkit sets them on its windows.
        const auto length = static_cast<std::uint32_t>(title.size());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            length, title.data());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, netWmName_, utf8String_, 8, length,
                            title.data());
    }
    xcb_ungrab_server(c);
    // A round trip: the window is known to the server before this returns.
    takeReply(c, xcb_get_input_focus(c), xcb_get_input_focus_reply);
    return window;
}

} // namespace quillaro
