#pragma once
// A real desktop panel for the tray tests: xfce4-panel with one panel holding only its
// notification area (the "systray" plugin: a StatusNotifierWatcher with its host, and the
// XEmbed tray), on the X display and session bus of the environment. Its settings live in the
// private $XDG_CONFIG_HOME, which the session bus must already have had in its environment when
// it started (the bus starts the panel's settings daemon). Ended with the object.

#include "support/ManagerProcess.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class XfcePanel {
public:
    // Writes the panel's settings and starts it.
    XfcePanel();
    ~XfcePanel();
    XfcePanel(const XfcePanel&) = delete;
    XfcePanel& operator=(const XfcePanel&) = delete;

    // False when xfce4-panel is not on this machine (the tests against it are then skipped).
    static bool Installed();
    bool Started() const { return process_ && process_->Started(); }
    // Ends the panel as a logout does, and waits for its end.
    void Stop();

    // The StatusNotifierItems its watcher holds, as "<bus name> <object path>".
    std::vector<std::string> RegisteredItems() const;

private:
    std::unique_ptr<ManagerProcess> process_;
};

// Whether the X server shows a top-level window of this title: mapped and viewable.
bool WindowViewable(const std::string& title);
// The centre, on the screen, of the one viewable window of this class (a program's icon
// embedded in the panel's XEmbed tray while its other windows are hidden).
std::optional<std::pair<int, int>> ViewableWindowCentre(const std::string& windowClass);
// A user's double click with the left button at this point of the screen.
bool DoubleClickAt(int x, int y);

} // namespace testsupport
