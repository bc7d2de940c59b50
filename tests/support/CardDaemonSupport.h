#pragma once
// What the end-to-end tests of the driver services share: a real card daemon that this process
// (and the configuration processes it starts) reach through VARNEL_CARD_SOCKET, its facts as
// varnelctl prints them, and running a program to its end.

#include "support/DaemonProcess.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// Starts a daemon and points the platform's connection at it (a fresh connection).
class CardDaemon {
public:
    explicit CardDaemon(int cards, std::vector<std::string> extra = {});
    ~CardDaemon();

    bool Started() const { return daemon_.Started(); }
    const std::string& Socket() const { return daemon_.Socket(); }
    // `varnelctl status` as key → value.
    std::map<std::string, std::string> Status() const;
    // Runs varnelctl; true when it exits 0.
    bool Ctl(const std::vector<std::string>& args) const;
    // The lines of the daemon's trace that hold `what` ("" gives them all).
    std::vector<std::string> TraceLines(const std::string& what) const;
    // Ends the daemon at once, as a crash would.
    void Kill();
    // Starts it again on the same socket, once it has ended.
    bool Restart() { return daemon_.Restart(); }
    DaemonProcess& Process() { return daemon_; }

private:
    DaemonProcess daemon_;
};

// The pid of whoever listens on `socket`, or -1 (a daemon that detached after it started to
// listen shows the pid it had then).
int ListenerPid(const std::string& socket);
// The running card daemons of ours that serve `socket` (found by their environment).
std::vector<int> DaemonsServing(const std::string& socket);

struct ProgramResult {
    int status; // exit status, or 128 + signal
    std::string err;
};
// Runs a program of the build's program directory with `args` and waits for it.
ProgramResult RunProgram(const std::string& name, const std::vector<std::string>& args);

} // namespace testsupport
