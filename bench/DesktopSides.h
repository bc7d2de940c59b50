#pragma once
// The two sides of the desktop benchmark, each run in a fresh world of its own:
//   the peer mixer on a private sound server with 16 null sinks, each playing a swelling tone,
//   its output-devices tab showing all 16 meters;
//   our manager on a 4-card daemon with the ADAT Inputs window open (32 meters), then with every
//   window closed, then with the four windows that can be open together; and its start.

#include "CpuShare.h"

#include <optional>
#include <string>
#include <vector>

namespace bench {

struct Knobs {
    double settle = 5;  // seconds before a sample
    double sample = 30; // seconds of a sample
    int startRuns = 10; // starts timed for the icon
    std::string bin;    // the directory of our programs
    std::string tone;   // a WAV file that plays for a whole round
};

// The peer's 16 visible meters; nullopt and `why` when a step failed.
std::optional<CpuShare> PeerVisible(const Knobs& knobs, std::string* why);

struct OurRound {
    std::optional<CpuShare> visible; // ADAT Inputs of four cards
    std::optional<CpuShare> hidden;  // every window closed
    std::optional<double> fourWindowsMiB;
    std::string why; // what failed, when a figure is missing
};
OurRound OursMetering(const Knobs& knobs);

// From the start of varnel-manager to the map of its icon's stand-in window, in milliseconds, one
// per run; fewer when runs failed (`why` says the last reason).
std::vector<double> OursStartToIcon(const Knobs& knobs, std::string* why);

} // namespace bench
