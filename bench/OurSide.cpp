#include "DesktopSides.h"
#include "DesktopWorld.h"
#include "MapWatch.h"

#include <sstream>
#include <thread>

namespace bench {

namespace {

constexpr int kCards = 4;
// The icon's stand-in window on a desktop without a tray.
constexpr int kStandInSize = 48;

// Our programs in their world: a 4-card daemon and, on request, the manager.
class OurWorld {
public:
    OurWorld(const Knobs& knobs, std::string* why) : knobs_(knobs), world_("1600x1600x24") {
        if (!world_.Ready()) {
            *why = world_.Error();
            return;
        }
        daemon_ = world_.Start(
            {knobs.bin + "/varnel-cardd", "--cards", std::to_string(kCards), "--foreground"},
            "cardd");
        if (!DesktopWorld::AwaitSocket(world_.Path("card.sock")))
            *why = "varnel-cardd opened no socket (cardd.log)";
        else
            ready_ = true;
    }

    bool Ready() const { return ready_; }
    const DesktopWorld& World() const { return world_; }
    pid_t Daemon() const { return daemon_.Pid(); }

    Child StartManager() const { return world_.Start({knobs_.bin + "/varnel-manager"}, "manager"); }

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
    Child daemon_;
    bool ready_ = false;
};

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
        round.why = "the manager opened no automation socket (manager.log)";
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
        *why = "the manager ended with the four windows open";
    return round;
}

std::vector<double> OursStartToIcon(const Knobs& knobs, std::string* why) {
    std::vector<double> runs;
    OurWorld ours(knobs, why);
    if (!ours.Ready())
        return runs;
    for (int n = 0; n < knobs.startRuns; ++n) {
        MapWatch watch(ours.World().Display());
        if (!watch.Connected()) {
            *why = "cannot watch the X server";
            return runs;
        }
        const auto start = std::chrono::steady_clock::now();
        Child manager = ours.StartManager();
        const auto mapped = watch.AwaitMap(kStandInSize, kStandInSize, std::chrono::seconds(10));
        if (mapped)
            runs.push_back(std::chrono::duration<double, std::milli>(*mapped - start).count());
        else
            *why = "no icon within 10 s (manager.log)";
        // Ended before the next start, which would otherwise only raise this one's hub.
        manager.Stop();
    }
    return runs;
}

} // namespace bench
