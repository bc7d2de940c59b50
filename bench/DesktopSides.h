#pragma once
// The sides of the desktop benchmark, each run in a fresh world of its own:
//   the peer mixer on a private sound server with 16 null sinks, each playing a swelling tone,
//   its output-devices tab showing all 16 meters;
//   our manager on a 4-card daemon with the ADAT Inputs window open (32 meters), then with every
//   window closed, then with the four windows that can be open together; and its start;
//   the floors, a minimal Qt program of ours (bench_floor) doing the same jobs: 32 level bars
//   repainting the lamp changes our meters make, one small window's memory, and its start.

#include "CpuShare.h"

#include <optional>
#include <string>
#include <vector>

namespace bench {

class DesktopWorld;

struct Knobs {
    double settle = 5;  // seconds before a sample
    double sample = 30; // seconds of a sample
    int startRuns = 10; // starts timed for the icon
    std::string bin;    // the directory of our programs
    std::string tone;   // a WAV file that plays for a whole round
    std::string script; // the lamp changes the metering floor replays (MeterScript.h)
};

// The peer's 16 visible meters; nullopt and `why` when a step failed.
std::optional<CpuShare> PeerVisible(const Knobs& knobs, std::string* why);

struct OurRound {
    std::optional<CpuShare> visible; // ADAT Inputs of four cards
    std::optional<CpuShare> hidden;  // every window closed
    std::optional<double> fourWindowsMiB;
    // The memory floor, in the same world after the four windows: one small window's.
    std::optional<double> floorWindowMiB;
    std::string why; // what failed, when a figure is missing
};
OurRound OursMetering(const Knobs& knobs);

// Where the time of our metering goes: the top of a flat `perf` profile of the manager and its X
// server with ADAT Inputs of four cards shown, sampled as the metering is; "" (and `why`) when
// perf is missing or fails. `data` is where perf keeps its samples.
std::string OursProfile(const Knobs& knobs, const std::string& data, std::string* why);

// The metering floor's cost in a world of its own, as ours is measured.
std::optional<CpuShare> FloorMetering(const Knobs& knobs, std::string* why);
// The memory floor: the resident memory of a minimal program showing one small window on
// `display`, once it has settled; nullopt (and `why`) when it showed none.
std::optional<double> FloorWindowMiB(const Knobs& knobs, const DesktopWorld& world,
                                     std::string* why);

// Starts on one X server, ours and the floor's in turn: from the start of varnel-manager to the
// map of its icon's stand-in window, and from the start of the floor to the map of its window of
// the same size, in milliseconds, one per run each; fewer when runs failed (`why` says the last
// reason).
struct StartRuns {
    std::vector<double> ours, floor;
};
StartRuns StartToMap(const Knobs& knobs, std::string* why);

} // namespace bench
