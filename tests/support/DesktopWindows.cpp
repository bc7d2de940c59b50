#include "support/DesktopWindows.h"

#include <cstdlib>
#include <vector>
#include <xcb/xcb.h>

namespace testsupport {

namespace {

// A property's 32-bit values, or none.
std::vector<std::uint32_t> Cardinals(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name) {
    std::vector<std::uint32_t> values;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    if (!reply)
        return values;
    if (reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

} // namespace

DesktopWindows::DesktopWindows(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    connection_ = c;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

DesktopWindows::~DesktopWindows() {
    if (connection_)
        xcb_disconnect(connection_);
}

std::uint32_t DesktopWindows::Atom(const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, std::char_traits<char>::length(name), name),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

bool DesktopWindows::WindowManagerRuns() {
    return connection_ && !Cardinals(connection_, root_, Atom("_NET_SUPPORTING_WM_CHECK")).empty();
}

std::string DesktopWindows::Title(std::uint32_t window) {
    for (const xcb_atom_t name : {Atom("_NET_WM_NAME"), xcb_atom_t(XCB_ATOM_WM_NAME)}) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr);
        std::string title;
        if (reply && reply->format == 8)
            title.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
        if (!title.empty())
            return title;
    }
    return {};
}

std::uint32_t DesktopWindows::ClientWindow(const std::string& title) {
    if (!connection_)
        return XCB_WINDOW_NONE;
    // The newest of that title: a window of an ended program may still be listed a moment.
    xcb_window_t found = XCB_WINDOW_NONE;
    for (const std::uint32_t window : Cardinals(connection_, root_, Atom("_NET_CLIENT_LIST")))
        if (Title(window) == title)
            found = window;
    return found;
}

FramedWindow DesktopWindows::Find(const std::string& title) {
    FramedWindow found;
    const xcb_window_t window = ClientWindow(title);
    if (window == XCB_WINDOW_NONE)
        return found;
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr);
    xcb_get_geometry_reply_t* size =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    if (at && size) {
        std::vector<std::uint32_t> frame =
            Cardinals(connection_, window, Atom("_NET_FRAME_EXTENTS")); // left right top bottom
        frame.resize(4, 0);
        found.found = true;
        found.x = at->dst_x - static_cast<int>(frame[0]);
        found.y = at->dst_y - static_cast<int>(frame[2]);
        found.clientWidth = size->width;
        found.clientHeight = size->height;
        int both = 0;
        const xcb_atom_t vert = Atom("_NET_WM_STATE_MAXIMIZED_VERT");
        const xcb_atom_t horz = Atom("_NET_WM_STATE_MAXIMIZED_HORZ");
        for (const std::uint32_t state : Cardinals(connection_, window, Atom("_NET_WM_STATE")))
            both += state == vert || state == horz;
        found.maximized = both == 2;
    }
    std::free(at);
    std::free(size);
    return found;
}

bool DesktopWindows::SendToRoot(std::uint32_t window, std::uint32_t type,
                                const std::uint32_t (&data)[5]) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    for (int i = 0; i < 5; ++i)
        event.data.data32[i] = data[i];
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    return xcb_flush(connection_) > 0;
}

bool DesktopWindows::Move(const std::string& title, int x, int y) {
    const xcb_window_t window = ClientWindow(title);
    if (window == XCB_WINDOW_NONE)
        return false;
    // North-west gravity: x and y are the frame's corner; x and y given; sent by a pager (2).
    constexpr std::uint32_t kNorthWest = 1, kX = 1u << 8, kY = 1u << 9, kPager = 2u << 12;
    return SendToRoot(window, Atom("_NET_MOVERESIZE_WINDOW"),
                      {kNorthWest | kX | kY | kPager, static_cast<std::uint32_t>(x),
                       static_cast<std::uint32_t>(y), 0, 0});
}

bool DesktopWindows::SetMaximized(const std::string& title, bool maximized) {
    const xcb_window_t window = ClientWindow(title);
    if (window == XCB_WINDOW_NONE)
        return false;
    constexpr std::uint32_t kRemove = 0, kAdd = 1, kPager = 2;
    return SendToRoot(window, Atom("_NET_WM_STATE"),
                      {maximized ? kAdd : kRemove, Atom("_NET_WM_STATE_MAXIMIZED_VERT"),
                       Atom("_NET_WM_STATE_MAXIMIZED_HORZ"), kPager, 0});
}

} // namespace testsupport
