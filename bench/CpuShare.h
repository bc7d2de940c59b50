#pragma once
// What a program and its X server cost while it runs untouched: the CPU time (user and system)
// each took over a sample period, as a share of one core, and the program's resident memory at
// the end.

#include <optional>
#include <string>
#include <sys/types.h>

namespace bench {

struct CpuShare {
    int meters = 0;           // meters visible during the sample
    double appPercent = 0;    // the program, % of one core
    double xPercent = 0;      // its X server
    double serverPercent = 0; // its sound server or card daemon: shown, not counted
    double rssMiB = 0;        // the program's, at the end
    double Sum() const { return appPercent + xPercent; }
};

// Waits `settle` seconds, then samples for `sample` seconds; nullopt (and `why`) when the program
// or its X server ended meanwhile.
std::optional<CpuShare> MeasureCpu(pid_t app, pid_t xserver, pid_t server, double settle,
                                   double sample, std::string* why);

// The share of one core that `ticks` clock ticks make over `seconds`.
double PercentOfCore(long ticks, double seconds);

} // namespace bench
