#pragma once
// A private virtual X server for the tests that run the manager on a desktop: Xvfb on the first
// free display from :150 on, listening only on its local socket, ended with the object.

#include <string>
#include <sys/types.h>

namespace testsupport {

class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False when there is no Xvfb on this machine (the desktop tests are then skipped).
    bool Installed() const { return installed_; }
    bool Started() const { return pid_ > 0; }
    // ":<n>", the value for DISPLAY.
    const std::string& Display() const { return display_; }

private:
    // Starts Xvfb on display `n`; true once it accepts clients.
    bool StartOn(int n);
    void Stop();

    bool installed_ = false;
    pid_t pid_ = -1;
    std::string display_;
};

} // namespace testsupport
