#include "CpuShare.h"

#include "BenchProcess.h"

#include <chrono>
#include <thread>
#include <unistd.h>

namespace bench {

double PercentOfCore(long ticks, double seconds) {
    static const long hz = ::sysconf(_SC_CLK_TCK);
    return seconds > 0 ? 100.0 * static_cast<double>(ticks) / static_cast<double>(hz) / seconds : 0;
}

std::optional<CpuShare> MeasureCpu(pid_t app, pid_t xserver, pid_t server, double settle,
                                   double sample, std::string* why) {
    using Clock = std::chrono::steady_clock;
    std::this_thread::sleep_for(std::chrono::duration<double>(settle));
    const long app0 = CpuTicks(app), x0 = CpuTicks(xserver), server0 = CpuTicks(server);
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(sample));
    const long app1 = CpuTicks(app), x1 = CpuTicks(xserver), server1 = CpuTicks(server);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (app0 < 0 || app1 < 0 || x0 < 0 || x1 < 0) {
        *why = "the program or its X server ended during the sample";
        return std::nullopt;
    }
    CpuShare share;
    share.appPercent = PercentOfCore(app1 - app0, seconds);
    share.xPercent = PercentOfCore(x1 - x0, seconds);
    share.serverPercent =
        server0 < 0 || server1 < 0 ? 0 : PercentOfCore(server1 - server0, seconds);
    share.rssMiB = static_cast<double>(ResidentKiB(app)) / 1024;
    return share;
}

} // namespace bench
