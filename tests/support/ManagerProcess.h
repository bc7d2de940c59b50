#pragma once
// varnel-manager run as a user starts it, in the background: its stderr lines as they come, and
// its end; or a program the test needs beside it, with its stdout. Every wait has a deadline, so
// a program that hangs fails the test instead of blocking it.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

class ManagerProcess {
public:
    // Starts build/bin/varnel-manager with this process's environment.
    ManagerProcess();
    // Starts another program the same way (`argv[0]` looked up in PATH unless it holds a slash),
    // reading its file descriptor `output` (1 or 2) as the lines.
    ManagerProcess(std::vector<std::string> argv, int output);
    // Kills the program if it still runs.
    ~ManagerProcess();
    ManagerProcess(const ManagerProcess&) = delete;
    ManagerProcess& operator=(const ManagerProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // Reads stderr until a line starting with `prefix` has arrived; false at the deadline or
    // when the program ended first.
    bool WaitForLine(const std::string& prefix,
                     std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // The same for a line holding `text` anywhere (a library's trace, which starts with a time).
    bool WaitForLineHolding(const std::string& text,
                            std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // Waits for the end; the exit status (128 + signal), or nullopt at the deadline.
    std::optional<int> Wait(std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // Sends `signal` to the running program; false when it is not running.
    bool Signal(int signal) const;
    // Every stderr line read so far.
    const std::vector<std::string>& Lines() const { return lines_; }
    std::vector<std::string> LinesStartingWith(const std::string& prefix) const;

private:
    // Reads what is there within `timeout`; false once stderr is closed.
    bool ReadSome(std::chrono::milliseconds timeout);
    // Reads until a line is `wanted`, the lines read before included.
    bool WaitFor(const std::function<bool(const std::string&)>& wanted,
                 std::chrono::milliseconds deadline);

    pid_t pid_ = -1;
    int err_ = -1;
    std::string partial_;
    std::vector<std::string> lines_;
    std::optional<int> status_;
};

} // namespace testsupport
