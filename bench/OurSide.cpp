#include "DesktopSides.h"
#include "DesktopWorld.h"
#include "MapWatch.h"

#include <functional>
#include <sstream>
#include <thread>

namespace bench {

namespace {

constexpr int kCards = 4;
// The icon's stand-in window on a desktop without a tray.
constexpr int kStandInSize = 48;

// Our programs in their world: a 4-card daemon, a session bus as every desktop has one (without
// it the tray's look for a StatusNotifierItem host would start one of its own) and, on request,
// the manager.
class OurWorld {
public:
    OurWorld(const Knobs& knobs, std::string* why) : knobs_(knobs), world_("1600x1600x24") {
        if (!world_.Ready()) {
            *why = world_.Error();
            return;
        }
        bus_ = world_.Start({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                             "--address=unix:path=" + world_.Path("bus")},
                            "dbus");
        if (!DesktopWorld::AwaitSocket(world_.Path("bus"))) {
            *why = "the session bus did not start (" + world_.LogEnd("dbus") + ")";
            return;
        }
        daemon_ = world_.Start(
            {knobs.bin + "/varnel-cardd", "--cards", std::to_string(kCards), "--foreground"},
            "cardd");
        if (!DesktopWorld::AwaitSocket(world_.Path("card.sock")))
            *why = "varnel-cardd opened no socket (" + world_.LogEnd("cardd") + ")";
        else
            ready_ = true;
    }

    bool Ready() const { return ready_; }
    const DesktopWorld& World() const { return world_; }
    pid_t Daemon() const { return daemon_.Pid(); }

    Child StartManager() const {
        return world_.Start({knobs_.bin + "/varnel-manager"}, "manager",
                            {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + world_.Path("bus")});
    }

    // `varnelctl ui <words>`; its output, or "" with `why` set when it failed.
    std::string Ui(const std::vector<std::string>& words, std::string* why) const {
        std::vector<std::string> argv = {knobs_.bin + "/varnelctl", "ui"};
        argv.insert(argv.end(), words.begin(), words.end());
        RunResult result = Run(argv, world_.Variables());
        if (result.status == 0)
            return result.output;
        std::string request;
        for (const auto& word : words)
            request += " " + word;
        *why = "varnelctl ui" + request + " failed: " + result.output;
        return {};
    }

private:
    const Knobs& knobs_;
    DesktopWorld world_;
    Child bus_;
    Child daemon_;
    bool ready_ = false;
};

std::string NoAutomation(const OurWorld& ours) {
    return "the manager opened no automation socket (" + ours.World().LogEnd("manager") + ")";
}

int VisibleMeters(const std::string& dump) {
    std::istringstream lines(dump);
    int meters = 0;
    for (std::string line; std::getline(lines, line);)
        if (line.find("TLevelMeter") != std::string::npos &&
            line.find(" visible=1") != std::string::npos)
            ++meters;
    return meters;
}

} // namespace

OurRound OursMetering(const Knobs& knobs) {
    OurRound round;
    OurWorld ours(knobs, &round.why);
    if (!ours.Ready())
        return round;
    Child manager = ours.StartManager();
    if (!DesktopWorld::AwaitSocket(ours.World().Path("ui.sock"))) {
        round.why = NoAutomation(ours);
        return round;
    }
    std::string* why = &round.why;
    auto measure = [&] {
        return MeasureCpu(manager.Pid(), ours.World().XServer(), ours.Daemon(), knobs.settle,
                          knobs.sample, why);
    };
    if (ours.Ui({"tray", "dblclick"}, why).empty() ||
        ours.Ui({"set", "Varnel PRO", "chkAdatInputs", "1"}, why).empty())
        return round;
    const int meters = VisibleMeters(ours.Ui({"dump", "ADAT Inputs"}, why));
    if (meters == 0) {
        *why = "ADAT Inputs shows no meter";
        return round;
    }
    round.visible = measure();
    if (round.visible)
        round.visible->meters = meters;

    if (ours.Ui({"close", "ADAT Inputs"}, why).empty() ||
        ours.Ui({"close", "Varnel PRO"}, why).empty())
        return round;
    round.hidden = measure();

    // The four windows that can be open together: a route from an ADAT input disables the
    // digital windows, so the analog and the ADAT pairs are the largest set.
    for (const char* box :
         {"chkAnalogInputs", "chkAnalogOutputs", "chkAdatInputs", "chkAdatOutputs"})
        if (ours.Ui({"tray", "dblclick"}, why).empty() ||
            ours.Ui({"set", "Varnel PRO", box, "1"}, why).empty())
            return round;
    if (ours.Ui({"idle"}, why).empty())
        return round;
    std::this_thread::sleep_for(std::chrono::duration<double>(knobs.settle));
    if (const long kib = ResidentKiB(manager.Pid()); kib > 0)
        round.fourWindowsMiB = static_cast<double>(kib) / 1024;
    else
        *why =
            "the manager ended with the four windows open (" + ours.World().LogEnd("manager") + ")";
    round.floorWindowMiB = FloorWindowMiB(knobs, ours.World(), why);
    return round;
}

std::string OursProfile(const Knobs& knobs, const std::string& data, std::string* why) {
    if (!Installed("perf")) {
        *why = "perf is not installed";
        return {};
    }
    OurWorld ours(knobs, why);
    if (!ours.Ready())
        return {};
    Child manager = ours.StartManager();
    if (!DesktopWorld::AwaitSocket(ours.World().Path("ui.sock"))) {
        *why = NoAutomation(ours);
        return {};
    }
    if (ours.Ui({"tray", "dblclick"}, why).empty() ||
        ours.Ui({"set", "Varnel PRO", "chkAdatInputs", "1"}, why).empty())
        return {};
    std::this_thread::sleep_for(std::chrono::duration<double>(knobs.settle));
    const auto seconds = static_cast<int>(knobs.sample);
    // A software clock event: virtual machines often have no hardware counters.
    const RunResult record =
        Run({"perf", "record", "-q", "-e", "cpu-clock", "-F", "1000", "-o", data, "-p",
             std::to_string(manager.Pid()) + "," + std::to_string(ours.World().XServer()), "--",
             "sleep", std::to_string(seconds)},
            {}, std::chrono::seconds(seconds + 30));
    if (record.status != 0) {
        *why = "perf record failed: " + record.output.substr(0, record.output.find('\n'));
        return {};
    }
    const RunResult report = Run({"perf", "report", "-i", data, "--stdio", "--sort",
                                  "comm,dso,symbol", "--percent-limit", "1"},
                                 {}, std::chrono::seconds(120));
    std::istringstream lines(report.output);
    std::string top;
    int kept = 0;
    for (std::string line; std::getline(lines, line) && kept < 40;)
        if (!line.empty() && line[0] != '#') {
            top += line + "\n";
            ++kept;
        }
    if (top.empty())
        *why = "perf report gave nothing: " + report.output.substr(0, report.output.find('\n'));
    return top;
}

StartRuns StartToMap(const Knobs& knobs, std::string* why) {
    StartRuns runs;
    OurWorld ours(knobs, why);
    if (!ours.Ready())
        return runs;
    // One watcher for the whole series: it also keeps a client on the X server, which would
    // otherwise reset each time the last program ends and refuse connections meanwhile.
    MapWatch watch(ours.World().Display());
    if (!watch.Connected()) {
        *why = "cannot watch the X server";
        return runs;
    }
    // From a start to the map of a window of the icon's size; the program is ended afterwards.
    auto timed = [&](const std::function<Child()>& start, std::vector<double>& into,
                     const char* what) {
        const auto begin = std::chrono::steady_clock::now();
        Child program = start();
        const auto mapped = watch.AwaitMap(kStandInSize, kStandInSize, std::chrono::seconds(10));
        if (mapped)
            into.push_back(std::chrono::duration<double, std::milli>(*mapped - begin).count());
        else
            *why = std::string("no window of the ") + what + " within 10 s (" +
                   ours.World().LogEnd(what) + ")";
        // Ended before the next start, which would otherwise only raise this one's hub.
        program.Stop();
    };
    for (int n = 0; n < knobs.startRuns; ++n) {
        timed([&] { return ours.StartManager(); }, runs.ours, "manager");
        timed(
            [&] {
                return ours.World().Start({knobs.bin + "/bench_floor", "start"}, "floor");
            },
            runs.floor, "floor");
    }
    return runs;
}

} // namespace bench
