#pragma once
// Watches an X display from outside, as a window manager would: every top-level window mapped
// on the root, with the moment its MapNotify arrived.

#include <chrono>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace bench {

class MapWatch {
public:
    // Connects to `display` and subscribes to the root's structure changes; once the
    // constructor returns, every later map is seen.
    explicit MapWatch(const std::string& display);
    ~MapWatch();
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;

    bool Connected() const { return connection_ != nullptr; }
    // The moment the first window of `width` x `height` was mapped, waiting up to `deadline`.
    std::optional<std::chrono::steady_clock::time_point>
    AwaitMap(int width, int height, std::chrono::milliseconds deadline);

private:
    bool HasSize(unsigned window, int width, int height);

    xcb_connection_t* connection_ = nullptr;
};

} // namespace bench
