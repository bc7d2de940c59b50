#include "MapWatch.h"

#include <cstdlib>
#include <poll.h>
#include <xcb/xcb.h>

namespace bench {

MapWatch::MapWatch(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t change =
        xcb_change_window_attributes_checked(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    // Checked: the answer proves that the server has taken the subscription.
    if (xcb_generic_error_t* error = xcb_request_check(connection, change)) {
        std::free(error);
        xcb_disconnect(connection);
        return;
    }
    connection_ = connection;
}

MapWatch::~MapWatch() {
    if (connection_)
        xcb_disconnect(connection_);
}

bool MapWatch::HasSize(unsigned window, int width, int height) {
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    const bool match = geometry && geometry->width == width && geometry->height == height;
    std::free(geometry);
    return match;
}

std::optional<std::chrono::steady_clock::time_point>
MapWatch::AwaitMap(int width, int height, std::chrono::milliseconds deadline) {
    using Clock = std::chrono::steady_clock;
    if (!connection_)
        return std::nullopt;
    const auto end = Clock::now() + deadline;
    while (!xcb_connection_has_error(connection_)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const auto seen = Clock::now();
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const auto window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
            std::free(event);
            if (mapped && HasSize(window, width, height))
                return seen;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left.count()));
    }
    return std::nullopt;
}

} // namespace bench
