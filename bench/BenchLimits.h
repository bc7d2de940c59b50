#pragma once
// The metering goals, which the desktop benchmark needs as well as the goals table: when one is
// missed the benchmark shows where the time goes.

namespace bench {

// Ours at least this many times cheaper than the peer mixer per visible meter.
constexpr double kMeteringPeerRatio = 30;
// Ours at most this many times the metering floor per visible meter.
constexpr double kMeteringFloorRatio = 1.5;
// Interleaved rounds the metering figures are the median of.
constexpr int kMeteringRounds = 5;

} // namespace bench
