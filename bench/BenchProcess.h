#pragma once
// The processes a desktop benchmark starts and watches: started with a few variables changed,
// their output into a log file, ended with TERM and then KILL; and what /proc tells about any
// process (its CPU time in clock ticks, its resident memory).

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace bench {

// NAME=VALUE entries laid over this process's environment for one child; "NAME" alone removes
// the variable.
using Environment = std::vector<std::string>;

class Child {
public:
    Child() = default;
    // Starts `argv` (argv[0] looked up in PATH unless it holds a slash) with `environment` laid
    // over this process's, stdout and stderr appended to `log`.
    Child(std::vector<std::string> argv, const Environment& environment, const std::string& log);
    Child(Child&& other) noexcept;
    Child& operator=(Child&& other) noexcept;
    ~Child() { Stop(); }

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // True while the process runs (a zombie has ended).
    bool Running();
    // TERM, up to two seconds of grace, then KILL; reaps it.
    void Stop();

private:
    pid_t pid_ = -1;
};

struct RunResult {
    int status = -1;    // exit status, 128 + signal, or -1 when it did not end in time
    std::string output; // stdout and stderr together
};
// Runs a program to its end, killing it at the deadline.
RunResult Run(std::vector<std::string> argv, const Environment& environment = {},
              std::chrono::milliseconds deadline = std::chrono::seconds(20));

// utime + stime of `pid` in clock ticks, or -1 once it has gone.
long CpuTicks(pid_t pid);
// The same from the text of /proc/<pid>/stat, whose second field (the name) may hold blanks
// and parentheses.
long CpuTicksOfStat(const std::string& stat);
// VmRSS of `pid` in KiB, or -1.
long ResidentKiB(pid_t pid);
// True when `name` is an executable in PATH.
bool Installed(const std::string& name);

} // namespace bench
