#pragma once
// Private desktops for the tests that run the manager on one, ended with the object:
// - Xvfb on the first free display from :150 on, listening only on its local socket and never
//   resetting, with a real window manager on it that frames, places and maximises the windows as
//   on a user's desktop (openbox, or xfwm4 with the private session bus its settings service
//   needs); or, for a display that refuses clients, a bare one that admits only the holders of a
//   cookie;
// - a Wayland compositor: weston's headless backend on a socket of its own.

#include "support/TempDir.h"

#include <optional>
#include <string>
#include <sys/types.h>

namespace testsupport {

enum class WindowManager { Openbox, Xfwm4 };

class XvfbServer {
public:
    explicit XvfbServer(WindowManager wm = WindowManager::Openbox);
    // A display without a window manager that admits only the clients holding a cookie of the
    // X authority file `authority`.
    explicit XvfbServer(const std::string& authority);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False when Xvfb or the window manager is not on this machine (the desktop tests are then
    // skipped); Missing() names what is not.
    bool Installed() const { return missing_.empty(); }
    const std::string& Missing() const { return missing_; }
    // The display is up and the window manager, if any, manages it.
    bool Started() const { return pid_ > 0 && (wmPid_ > 0 || !authority_.empty()); }
    // ":<n>", the value for DISPLAY.
    const std::string& Display() const { return display_; }

    // Ends the window manager and the display under whatever still runs on it.
    void Stop();

private:
    // Starts Xvfb on the first free display; false when none would start.
    bool StartOnFreeDisplay();
    // Starts Xvfb on display `n`; true once it accepts clients.
    bool StartOn(int n);
    // Starts the window manager; true once it has announced itself on the screen.
    bool StartWindowManager();

    WindowManager wm_ = WindowManager::Openbox;
    std::string authority_;
    std::string missing_;
    pid_t pid_ = -1;
    pid_t wmPid_ = -1;
    pid_t busPid_ = -1;
    std::string display_;
    // The window manager's own settings home, so that a user's configuration changes nothing.
    std::optional<TempDir> wmHome_;
};

class WestonServer {
public:
    // Listens in `runtimeDir` (XDG_RUNTIME_DIR, private to the user) until the object goes.
    explicit WestonServer(const std::string& runtimeDir);
    ~WestonServer();
    WestonServer(const WestonServer&) = delete;
    WestonServer& operator=(const WestonServer&) = delete;

    // False when weston is not on this machine.
    bool Installed() const { return missing_.empty(); }
    const std::string& Missing() const { return missing_; }
    bool Started() const { return pid_ > 0; }
    // The value for WAYLAND_DISPLAY.
    const std::string& Socket() const { return socket_; }

private:
    std::string missing_;
    pid_t pid_ = -1;
    std::string socket_;
};

} // namespace testsupport
