#pragma once
// A fresh private world for one side of a desktop benchmark: a directory that serves as the
// runtime, settings and state directories of everything started in it, and a virtual X server
// of its own. Nothing in it reaches a user's desktop, session bus or sound server. Ended (its
// processes stopped, the directory removed) with the object.

#include "BenchProcess.h"

#include <string>

namespace bench {

class DesktopWorld {
public:
    // `geometry` is the screen, e.g. "1600x1600x24".
    explicit DesktopWorld(const std::string& geometry);
    ~DesktopWorld();
    DesktopWorld(const DesktopWorld&) = delete;
    DesktopWorld& operator=(const DesktopWorld&) = delete;

    // False when the directory or the X server could not be had; Error() says why.
    bool Ready() const { return ready_; }
    const std::string& Error() const { return error_; }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    // ":<n>"
    const std::string& Display() const { return display_; }
    pid_t XServer() const { return xserver_.Pid(); }
    // The variables every program of this world runs with.
    const Environment& Variables() const { return variables_; }
    // Variables() with `more` laid over them.
    Environment With(const Environment& more) const;
    // Starts a program of this world, its output into Path(<log>.log).
    Child Start(std::vector<std::string> argv, const std::string& log,
                const Environment& more = {}) const;
    // How Path(<log>.log) ends, for a report of a program that failed: the directory goes with
    // the world.
    std::string LogEnd(const std::string& log) const;
    // Waits up to `seconds` for a socket to appear at `path`.
    static bool AwaitSocket(const std::string& path, double seconds = 10);

private:
    bool StartXServer(const std::string& geometry);

    bool ready_ = false;
    std::string error_;
    std::string dir_;
    std::string display_;
    Environment variables_;
    Child xserver_;
};

} // namespace bench
