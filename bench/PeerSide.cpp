#include "DesktopSides.h"
#include "DesktopWorld.h"

#include <chrono>
#include <sstream>
#include <thread>

namespace bench {

namespace {

constexpr int kSinks = 16;

bool Poll(double seconds, const auto& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

} // namespace

std::optional<CpuShare> PeerVisible(const Knobs& knobs, std::string* why) {
    // Tall enough for the 16 meters of the output-devices tab, one below the other.
    DesktopWorld world("800x3000x24");
    if (!world.Ready()) {
        *why = world.Error();
        return std::nullopt;
    }
    Child sound = world.Start(
        {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "-L",
         "module-null-sink sink_name=null0", "-L",
         "module-native-protocol-unix auth-anonymous=1 socket=" + world.Path("pulse.sock"), "-L",
         "module-always-sink"},
        "pulseaudio");
    if (!DesktopWorld::AwaitSocket(world.Path("pulse.sock"))) {
        *why = "the sound server did not start (" + world.LogEnd("pulseaudio") + ")";
        return std::nullopt;
    }
    std::vector<Child> players;
    for (int n = 0; n < kSinks; ++n) {
        const std::string sink = "null" + std::to_string(n);
        if (n > 0 && Run({"pactl", "load-module", "module-null-sink", "sink_name=" + sink},
                         world.Variables())
                             .status != 0) {
            *why = "pactl could not add " + sink;
            return std::nullopt;
        }
        players.push_back(world.Start({"paplay", "-d", sink, knobs.tone}, "paplay"));
    }
    const std::string bus = "unix:path=" + world.Path("bus");
    Child busDaemon = world.Start(
        {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + bus}, "dbus");
    Child mixer =
        world.Start({"pavucontrol", "--tab=3"}, "pavucontrol", {"DBUS_SESSION_BUS_ADDRESS=" + bus});
    std::string window;
    Poll(20, [&] {
        std::istringstream found(
            Run({"xdotool", "search", "--onlyvisible", "--name", "Volume Control"},
                world.Variables())
                .output);
        return static_cast<bool>(found >> window);
    });
    if (window.empty()) {
        *why = "the peer mixer showed no window (" + world.LogEnd("pavucontrol") + ")";
        return std::nullopt;
    }
    Run({"xdotool", "windowsize", window, "780", "2980"}, world.Variables());
    auto share =
        MeasureCpu(mixer.Pid(), world.XServer(), sound.Pid(), knobs.settle, knobs.sample, why);
    if (share)
        share->meters = kSinks;
    return share;
}

} // namespace bench
