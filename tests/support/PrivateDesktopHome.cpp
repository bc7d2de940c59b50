#include "support/PrivateDesktopHome.h"

#include <cstdlib>
#include <sys/stat.h>

namespace testsupport {

PrivateDesktopHome::PrivateDesktopHome(const std::string& name)
    : dir_(0700, name), runtime_(dir_.Path() + "/run") {
    made_ = !dir_.Path().empty() && ::mkdir(runtime_.c_str(), 0700) == 0;
    env_.Set("XDG_RUNTIME_DIR", runtime_);
    env_.Set("XDG_CONFIG_HOME", dir_.Path());
    env_.Set("VARNEL_AUTOMATION", runtime_ + "/ui.sock");
    env_.Unset("VARNEL_HEADLESS");
}

bool PrivateDesktopHome::StartSessionBus() {
    bus_.emplace(std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                          "--address=unix:path=" + dir_.Path() + "/bus",
                                          "--print-address=1"},
                 1);
    if (!bus_->WaitForLine("unix:"))
        return false;
    env_.Set("DBUS_SESSION_BUS_ADDRESS", bus_->Lines().back());
    return true;
}

void PrivateDesktopHome::UseWayland(const std::string& waylandDisplay) {
    env_.Set("WAYLAND_DISPLAY", waylandDisplay);
    env_.Set("QT_QPA_PLATFORM", "wayland");
    env_.Unset("DISPLAY");
    // Mesa's EGL, which Qt's wayland platform starts, leaks from a driver it has unloaded by the
    // time a sanitized program ends: only a full unwind names the library that the leak
    // suppressions allow. Other builds ignore the variable.
    const char* asan = std::getenv("ASAN_OPTIONS");
    env_.Set("ASAN_OPTIONS", std::string(asan ? asan : "") + (asan && *asan ? ":" : "") +
                                 "fast_unwind_on_malloc=0");
}

} // namespace testsupport
