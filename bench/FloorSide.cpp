#include "DesktopSides.h"
#include "DesktopWorld.h"
#include "MapWatch.h"

#include <thread>

namespace bench {

namespace {

constexpr int kFloorMeters = 32;
constexpr int kSmallWindow = 48;

} // namespace

std::optional<CpuShare> FloorMetering(const Knobs& knobs, std::string* why) {
    // The screen of our side, so that both X servers keep framebuffers of one size.
    DesktopWorld world("1600x1600x24");
    if (!world.Ready()) {
        *why = world.Error();
        return std::nullopt;
    }
    Child floor = world.Start({knobs.bin + "/bench_floor", "meters", knobs.script}, "floor");
    // No sound server or daemon serves the floor: its levels come from the script.
    auto share = MeasureCpu(floor.Pid(), world.XServer(), -1, knobs.settle, knobs.sample, why);
    if (share)
        share->meters = kFloorMeters;
    else
        *why = "the metering floor ended (" + world.LogEnd("floor") + ")";
    return share;
}

std::optional<double> FloorWindowMiB(const Knobs& knobs, const DesktopWorld& world,
                                     std::string* why) {
    MapWatch watch(world.Display());
    if (!watch.Connected()) {
        *why = "cannot watch the X server";
        return std::nullopt;
    }
    Child floor = world.Start({knobs.bin + "/bench_floor", "window"}, "floor");
    if (!watch.AwaitMap(kSmallWindow, kSmallWindow, std::chrono::seconds(10))) {
        *why = "the memory floor showed no window (" + world.LogEnd("floor") + ")";
        return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(knobs.settle));
    const long kib = ResidentKiB(floor.Pid());
    if (kib <= 0) {
        *why = "the memory floor ended with its window shown";
        return std::nullopt;
    }
    return static_cast<double>(kib) / 1024;
}

} // namespace bench
