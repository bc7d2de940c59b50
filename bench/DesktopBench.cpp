// The desktop benchmark: the CPU cost of live metering, ours beside a peer mixer and beside the
// metering floor, in rounds A,B,C,A,B,C… that never run two sides at once (each side in a fresh
// world, so all share the machine's conditions without competing for it); our cost with every
// window closed; the resident memory with the four windows that can be open together, beside the
// memory floor; and the time from the start of varnel-manager to its icon, beside the start floor.
// The floors come from bench_floor, a minimal Qt program of ours doing the same job. Prints a row
// per case and writes the figures to <results dir>/desktop.figures for the goals table; when a
// metering goal is missed, prints the top of a profile of our side (with perf, when installed).
//
// Usage: desktop_bench RESULTS_DIR BIN_DIR
// Environment: ROUNDS (5), SETTLE seconds (3), SAMPLE seconds (20), START_RUNS (10).

#include "BenchLimits.h"
#include "BenchProcess.h"
#include "DesktopSides.h"
#include "MeterRecording.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <numeric>
#include <optional>
#include <tuple>

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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double PerMeter(const CpuShare& share) {
    return share.meters ? share.Sum() / share.meters : 0;
}

// The cost per visible meter of one side, per round; nullopt where the round failed.
using PerRound = std::vector<std::optional<double>>;

// The median over the rounds in which both sides were measured of `a` / `b`, and their count.
std::pair<double, int> MedianRatio(const PerRound& a, const PerRound& b) {
    std::vector<double> ratios;
    for (std::size_t r = 0; r < a.size() && r < b.size(); ++r)
        if (a[r] && b[r])
            ratios.push_back(*b[r] > 0 ? *a[r] / *b[r] : INFINITY);
    return {ratios.empty() ? 0 : Median(ratios), static_cast<int>(ratios.size())};
}

std::vector<double> Measured(const PerRound& rounds) {
    std::vector<double> values;
    for (const auto& value : rounds)
        if (value)
            values.push_back(*value);
    return values;
}

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
    knobs.settle = Knob("SETTLE", 3);
    knobs.sample = Knob("SAMPLE", 20);
    knobs.startRuns = static_cast<int>(Knob("START_RUNS", 10));
    knobs.bin = argv[2];
    knobs.tone = results + "/tone.wav";
    knobs.script = results + "/adat-meters.script";
    const int rounds = static_cast<int>(Knob("ROUNDS", bench::kMeteringRounds));
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

    // The floor replays our meters' lamp changes for a whole round, and from the start again.
    if (!(std::ofstream(knobs.script)
          << bench::RecordAdatMeters(knobs.settle + knobs.sample + 10).Text())) {
        std::fprintf(stderr, "desktop_bench: cannot write %s\n", knobs.script.c_str());
        return 1;
    }

    std::printf("%-13s %5s %6s %7s %7s %7s %9s %7s %8s\n", "case", "round", "meters", "app %",
                "X %", "sum %", "%/meter", "RSS MiB", "server %");
    PerRound peer, ours, floor;
    std::vector<double> hidden, fourWindows, floorWindow;
    std::string peerWhy, oursWhy, floorWhy, floorWindowWhy;
    for (int round = 1; noX.empty() && round <= rounds; ++round) {
        peer.emplace_back();
        if (noPeer.empty()) {
            if (auto share = bench::PeerVisible(knobs, &peerWhy)) {
                Print("peer visible", round, *share);
                peer.back() = PerMeter(*share);
            } else {
                std::printf("peer round %d failed: %s\n", round, peerWhy.c_str());
            }
        }
        bench::OurRound our = bench::OursMetering(knobs);
        ours.emplace_back();
        if (our.visible) {
            Print("ours visible", round, *our.visible);
            ours.back() = PerMeter(*our.visible);
        }
        if (our.hidden) {
            Print("ours hidden", round, *our.hidden);
            hidden.push_back(our.hidden->Sum());
        }
        if (our.fourWindowsMiB) {
            std::printf("ours with the four windows: RSS %.1f MiB\n", *our.fourWindowsMiB);
            fourWindows.push_back(*our.fourWindowsMiB);
        }
        if (our.floorWindowMiB) {
            std::printf("floor with one small window: RSS %.1f MiB\n", *our.floorWindowMiB);
            floorWindow.push_back(*our.floorWindowMiB);
        } else if (our.fourWindowsMiB) {
            floorWindowWhy = our.why;
        }
        if (!our.why.empty()) {
            std::printf("ours round %d failed: %s\n", round, our.why.c_str());
            oursWhy = our.why;
        }
        floor.emplace_back();
        if (auto share = bench::FloorMetering(knobs, &floorWhy)) {
            Print("floor visible", round, *share);
            floor.back() = PerMeter(*share);
        } else {
            std::printf("floor round %d failed: %s\n", round, floorWhy.c_str());
        }
    }
    std::printf("app = pavucontrol / varnel-manager / bench_floor; X = its Xvfb; server = "
                "pulseaudio / varnel-cardd (not in the sum)\n");

    const bool skipX = !noX.empty();
    const std::string noXWhy = noX + " is not installed";
    // A figure of the rounds that measured it, or why there is none.
    auto median = [&](const std::string& key, const PerRound& rounds, const std::string& why) {
        if (const std::vector<double> values = Measured(rounds); !values.empty())
            figures.Value(key, Median(values));
        else
            figures.Missing(key, skipX, skipX ? noXWhy : why);
    };
    auto ratio = [&](const std::string& key, const PerRound& a, const PerRound& b,
                     const std::string& why) {
        const auto [value, count] = MedianRatio(a, b);
        if (count >= bench::kMeteringRounds)
            figures.Value(key, value);
        else
            figures.Missing(key, skipX,
                            skipX ? noXWhy
                            : count
                                ? "only " + std::to_string(count) + " rounds measured both sides" +
                                      (why.empty() ? "" : "; " + why)
                                : why);
    };
    const std::string peerOrOurs = !noPeer.empty()    ? noPeer + " is not installed"
                                   : !peerWhy.empty() ? peerWhy
                                                      : oursWhy;
    if (!noPeer.empty()) {
        figures.Missing("peer_per_meter_ratio", true, noPeer + " is not installed");
        figures.Missing("peer_per_floor_ratio", true, noPeer + " is not installed");
    } else {
        ratio("peer_per_meter_ratio", peer, ours, peerOrOurs);
        ratio("peer_per_floor_ratio", peer, floor, peerWhy.empty() ? floorWhy : peerWhy);
    }
    median("peer_per_meter", peer, peerOrOurs);
    median("ours_per_meter", ours, oursWhy);
    median("floor_per_meter", floor, floorWhy);
    if (!hidden.empty())
        figures.Value("ours_hidden", std::accumulate(hidden.begin(), hidden.end(), 0.0) /
                                         static_cast<double>(hidden.size()));
    else
        figures.Missing("ours_hidden", skipX, skipX ? noXWhy : oursWhy);
    if (!fourWindows.empty())
        figures.Value("four_windows_mib",
                      *std::max_element(fourWindows.begin(), fourWindows.end()));
    else
        figures.Missing("four_windows_mib", skipX, skipX ? noXWhy : oursWhy);
    if (!floorWindow.empty())
        figures.Value("floor_window_mib",
                      *std::max_element(floorWindow.begin(), floorWindow.end()));
    else
        figures.Missing("floor_window_mib", skipX, skipX ? noXWhy : floorWindowWhy);

    bench::StartRuns starts;
    std::string startWhy = noXWhy;
    if (!skipX)
        starts = bench::StartToMap(knobs, &startWhy);
    for (auto [key, runs, what] : {std::tuple{"start_to_icon_ms", &starts.ours, "ours"},
                                   std::tuple{"floor_start_ms", &starts.floor, "floor"}}) {
        if (runs->empty()) {
            figures.Missing(key, skipX, startWhy);
            continue;
        }
        std::sort(runs->begin(), runs->end());
        std::printf("start to map, %s, ms:", what);
        for (double ms : *runs)
            std::printf(" %.1f", ms);
        std::printf("\n");
        figures.Value(key, Median(*runs));
    }

    // Where our metering time goes, when a metering goal is missed.
    const auto [peerRatio, peerRounds] = MedianRatio(peer, ours);
    const std::vector<double> oursMeasured = Measured(ours), floorMeasured = Measured(floor);
    const bool missedPeer = peerRounds > 0 && peerRatio < bench::kMeteringPeerRatio;
    const bool missedFloor =
        !oursMeasured.empty() && !floorMeasured.empty() &&
        Median(oursMeasured) > bench::kMeteringFloorRatio * Median(floorMeasured);
    if (missedPeer || missedFloor) {
        std::string why;
        const std::string profile = bench::OursProfile(knobs, results + "/perf.data", &why);
        std::printf("metering missed its goal; where our time goes%s\n%s",
                    profile.empty() ? (": no profile (" + why + ")").c_str() : ":",
                    profile.c_str());
    }
    if (!figures.Write(results + "/desktop.figures")) {
        std::fprintf(stderr, "desktop_bench: cannot write %s/desktop.figures\n", results.c_str());
        return 1;
    }
    return 0;
}
