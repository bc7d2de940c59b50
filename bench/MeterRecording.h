#pragma once
// The lamp changes our meters make in the ADAT Inputs window of four cards, recorded for the
// metering floor to replay: the simulated card's own signals on the ADAT inputs, read every
// 100 ms as the window polls, given to 32 meters designed as the window designs them, whose
// decay ticks come every 40 ms. Runs at once on a virtual clock.

#include "MeterScript.h"

namespace bench {

// `seconds` of polls and ticks.
MeterScript RecordAdatMeters(double seconds);

} // namespace bench
