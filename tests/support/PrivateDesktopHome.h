#pragma once
// The private home of a manager run on a desktop, for as long as the object lives: its settings
// directory (XDG_CONFIG_HOME), a runtime directory only the user may enter (XDG_RUNTIME_DIR) with
// the automation socket in it, the desktop backend chosen (no VARNEL_HEADLESS), and on request a
// session bus of its own. Every variable set here, by the home or through Env(), gets its previous
// value back at the end.

#include "support/ManagerProcess.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <optional>
#include <string>

namespace testsupport {

class PrivateDesktopHome {
public:
    // `name` tells this directory apart from the others in the temporary directory.
    explicit PrivateDesktopHome(const std::string& name);

    // False when the directories could not be made.
    bool Made() const { return made_; }
    // XDG_CONFIG_HOME.
    const std::string& Path() const { return dir_.Path(); }
    // XDG_RUNTIME_DIR.
    const std::string& Runtime() const { return runtime_; }
    // The environment of the programs the test starts, put back when the home goes.
    ScopedEnvironment& Env() { return env_; }

    // Starts a dbus-daemon for the programs started after it and sets DBUS_SESSION_BUS_ADDRESS;
    // false when it does not answer. The daemon ends with the home.
    bool StartSessionBus();

    // Has the programs started after it show their windows on the compositor listening at
    // `waylandDisplay` through Qt's wayland platform.
    void UseWayland(const std::string& waylandDisplay);

private:
    TempDir dir_;
    std::string runtime_;
    bool made_ = false;
    ScopedEnvironment env_;
    std::optional<ManagerProcess> bus_;
};

} // namespace testsupport
