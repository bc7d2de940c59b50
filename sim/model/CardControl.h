#pragma once
// The commands of varnelctl, carried out on the card model: status and trace facts, and the
// world outside the program (signals, busy devices, faults, states, another program's changes,
// unplugging). The daemon runs them for the varnelctl client; tests run them in-process.

#include "sim/model/CardModel.h"

#include <string>
#include <vector>

namespace simcard {

struct ControlResult {
    int status = 0;     // the exit code for varnelctl
    std::string output; // key=value facts, one per line
    std::string error;  // one line naming what was wrong
};

// A device's name in commands and facts: "analog-in", "adat-out-3", …
const char* DeviceIdentifier(WaveDirection direction, int device);
// The sink a playback device is on the machine's sound server: varnel_pro.<card>.<device>.
std::string PlaybackSinkName(int card, int device);

// `client` is the caller's client id: changes "as another program" go through handles of its own.
ControlResult RunControl(CardModel& model, ClientId client, const std::vector<std::string>& args);

} // namespace simcard
