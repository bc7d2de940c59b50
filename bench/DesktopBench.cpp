// The desktop benchmark: the CPU cost of live metering, ours beside a peer mixer, in rounds
// A,B,A,B that never run both sides at once (each side in a fresh world, so both share the
// machine's conditions without competing for it); our cost with every window closed; the
// resident memory with the four windows that can be open together; and the time from the
// start of varnel-manager to its icon. Prints a row per case and writes the figures to
// <results dir>/desktop.figures for the goals table.
//
// Usage: desktop_bench RESULTS_DIR BIN_DIR
// Environment: ROUNDS (2), SETTLE seconds (5), SAMPLE seconds (30), START_RUNS (10).

#include "BenchProcess.h"
#include "DesktopSides.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

namespace {

using bench::CpuShare;

double Knob(const char* name, double fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atof(text) : fallback;
}

// The first of `tools` that is not installed, or "".
std::string Missing(std::initializer_list<const char*> tools) {
    for (const char* tool : tools)
        if (!bench::Installed(tool))
            return tool;
    return {};
}

void Print(const char* what, int round, const CpuShare& share) {
    std::printf("%-13s %5d %6d %7.2f %7.2f %7.2f %9.3f %7.1f %8.2f\n", what, round, share.meters,
                share.appPercent, share.xPercent, share.Sum(),
                share.meters ? share.Sum() / share.meters : 0.0, share.rssMiB, share.serverPercent);
    std::fflush(stdout);
}

// Sums of the rounds that succeeded.
struct Tally {
    double percent = 0;
    int meters = 0;
    int count = 0;
    void Add(const CpuShare& share) {
        percent += share.Sum();
        meters += share.meters;
        ++count;
    }
};

class FigureFile {
public:
    void Value(const std::string& key, double value) {
        text_ += key + " " + std::to_string(value) + "\n";
    }
    void Missing(const std::string& key, bool skipped, const std::string& why) {
        text_ += key + (skipped ? " skipped " : " failed ") + why + "\n";
    }
    bool Write(const std::string& path) const {
        std::ofstream file(path);
        return static_cast<bool>(file << text_);
    }

private:
    std::string text_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: desktop_bench RESULTS_DIR BIN_DIR\n");
        return 2;
    }
    const std::string results = argv[1];
    bench::Knobs knobs;
    knobs.settle = Knob("SETTLE", 5);
    knobs.sample = Knob("SAMPLE", 30);
    knobs.startRuns = static_cast<int>(Knob("START_RUNS", 10));
    knobs.bin = argv[2];
    knobs.tone = results + "/tone.wav";
    const int rounds = static_cast<int>(Knob("ROUNDS", 2));
    FigureFile figures;

    const std::string noX = Missing({"Xvfb"});
    std::string noPeer =
        Missing({"pulseaudio", "pactl", "paplay", "pavucontrol", "dbus-daemon", "xdotool", "sox"});
    if (noPeer.empty()) {
        const int seconds = static_cast<int>(knobs.settle + knobs.sample) + 60;
        if (bench::Run({"sox",
                        "-n",
                        "-r",
                        "44100",
                        "-c",
                        "2",
                        "-b",
                        "16",
                        knobs.tone,
                        "synth",
                        std::to_string(seconds),
                        "sine",
                        "440",
                        "sine",
                        "660",
                        "tremolo",
                        "2",
                        "90",
                        "vol",
                        "0.6"})
                .status != 0)
            noPeer = "a working sox";
    }

    std::printf("%-13s %5s %6s %7s %7s %7s %9s %7s %8s\n", "case", "round", "meters", "app %",
                "X %", "sum %", "%/meter", "RSS MiB", "server %");
    Tally peer, visible, hidden;
    std::vector<double> fourWindows;
    std::string peerWhy, oursWhy;
    for (int round = 1; noX.empty() && round <= rounds; ++round) {
        if (noPeer.empty()) {
            if (auto share = bench::PeerVisible(knobs, &peerWhy)) {
                Print("peer visible", round, *share);
                peer.Add(*share);
            } else {
                std::printf("peer round %d failed: %s\n", round, peerWhy.c_str());
            }
        }
        bench::OurRound ours = bench::OursMetering(knobs);
        if (ours.visible) {
            Print("ours visible", round, *ours.visible);
            visible.Add(*ours.visible);
        }
        if (ours.hidden) {
            Print("ours hidden", round, *ours.hidden);
            hidden.Add(*ours.hidden);
        }
        if (ours.fourWindowsMiB) {
            std::printf("ours with the four windows: RSS %.1f MiB\n", *ours.fourWindowsMiB);
            fourWindows.push_back(*ours.fourWindowsMiB);
        }
        if (!ours.why.empty()) {
            std::printf("ours round %d failed: %s\n", round, ours.why.c_str());
            oursWhy = ours.why;
        }
    }
    std::printf("app = pavucontrol / varnel-manager; X = its Xvfb; server = pulseaudio / "
                "varnel-cardd (not in the sum)\n");

    const bool skipX = !noX.empty();
    const std::string noXWhy = noX + " is not installed";
    if (!noPeer.empty())
        figures.Missing("peer_per_meter", true, noPeer + " is not installed");
    else if (peer.count && peer.meters)
        figures.Value("peer_per_meter", peer.percent / peer.meters);
    else
        figures.Missing("peer_per_meter", skipX, skipX ? noXWhy : peerWhy);
    if (visible.count && visible.meters)
        figures.Value("ours_per_meter", visible.percent / visible.meters);
    else
        figures.Missing("ours_per_meter", skipX, skipX ? noXWhy : oursWhy);
    if (hidden.count)
        figures.Value("ours_hidden", hidden.percent / hidden.count);
    else
        figures.Missing("ours_hidden", skipX, skipX ? noXWhy : oursWhy);
    if (!fourWindows.empty())
        figures.Value("four_windows_mib",
                      *std::max_element(fourWindows.begin(), fourWindows.end()));
    else
        figures.Missing("four_windows_mib", skipX, skipX ? noXWhy : oursWhy);

    std::vector<double> starts;
    std::string startWhy = noXWhy;
    if (!skipX)
        starts = bench::OursStartToIcon(knobs, &startWhy);
    if (!starts.empty()) {
        std::sort(starts.begin(), starts.end());
        std::printf("start to icon, ms:");
        for (double ms : starts)
            std::printf(" %.1f", ms);
        std::printf("\n");
        const std::size_t n = starts.size();
        figures.Value("start_to_icon_ms",
                      n % 2 ? starts[n / 2] : (starts[n / 2 - 1] + starts[n / 2]) / 2);
    } else {
        figures.Missing("start_to_icon_ms", skipX, startWhy);
    }
    if (!figures.Write(results + "/desktop.figures")) {
        std::fprintf(stderr, "desktop_bench: cannot write %s/desktop.figures\n", results.c_str());
        return 1;
    }
    return 0;
}
