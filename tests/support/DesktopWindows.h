#pragma once
// The windows of a private X display as a pager or a taskbar sees them: where the window manager
// framed a client (found by its title), and the requests a pager sends to move a window or to
// maximise and restore it, as the title bar's buttons do. An X client of its own (libxcb).

#include <cstdint>
#include <string>

struct xcb_connection_t;

namespace testsupport {

struct FramedWindow {
    bool found = false;
    // The frame's top-left corner on the screen.
    int x = 0;
    int y = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    // The window manager holds the window maximised both ways.
    bool maximized = false;
};

class DesktopWindows {
public:
    explicit DesktopWindows(const std::string& display);
    ~DesktopWindows();
    DesktopWindows(const DesktopWindows&) = delete;
    DesktopWindows& operator=(const DesktopWindows&) = delete;

    bool Connected() const { return connection_ != nullptr; }
    // A window manager has announced itself on the screen (_NET_SUPPORTING_WM_CHECK).
    bool WindowManagerRuns();
    // The managed window titled `title`; `found` is false while there is none.
    FramedWindow Find(const std::string& title);
    // Moves the frame's top-left corner to x, y (_NET_MOVERESIZE_WINDOW from a pager).
    bool Move(const std::string& title, int x, int y);
    // Maximises or restores a window both ways (_NET_WM_STATE), as its title bar's button does.
    bool SetMaximized(const std::string& title, bool maximized);

private:
    std::uint32_t Atom(const char* name);
    std::uint32_t ClientWindow(const std::string& title);
    std::string Title(std::uint32_t window);
    bool SendToRoot(std::uint32_t window, std::uint32_t type, const std::uint32_t (&data)[5]);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
};

} // namespace testsupport
