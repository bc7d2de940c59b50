#include "sim/audio/OutputRenderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace simcard::audio {

namespace {

// The tone that makes a signal known only by its peaks audible, and how often its level follows.
constexpr double kPeakToneHz = 440;
constexpr std::uint64_t kEnvelopeMs = 5;

double Phase(std::uint64_t frame, double hz) {
    // Taken modulo the period in frames, so that long uptimes keep their precision.
    const double period = OutputRenderer::kRate / hz;
    return 2 * std::numbers::pi * std::fmod(static_cast<double>(frame), period) / period;
}

} // namespace

void OutputRenderer::Render(std::span<float> stereo) {
    const std::size_t frames = stereo.size() / 2;
    for (int ch = 0; ch < 2; ++ch) {
        const OutputChannel& out = plan_[ch];
        if (const auto& live = out.signal.Live()) {
            live_.resize(stereo.size());
            live->Read(cursors_[ch], live_);
            for (std::size_t i = 0; i < frames; ++i)
                stereo[2 * i + ch] = static_cast<float>(live_[2 * i + out.channel] * out.scale);
            continue;
        }
        for (std::size_t i = 0; i < frames; ++i)
            stereo[2 * i + ch] = Sample(ch, frame_ + i);
    }
    frame_ += frames;
    for (float& sample : stereo)
        sample = std::clamp(sample, -1.0f, 1.0f);
}

float OutputRenderer::Sample(int ch, std::uint64_t frame) {
    const OutputChannel& out = plan_[ch];
    const Signal& signal = out.signal;
    double value = 0;
    switch (signal.Kind()) {
    case SignalKind::Silence:
    case SignalKind::Capture:
    case SignalKind::PlaybackSink:
        break;
    case SignalKind::Sine:
        value = DbToLinear(signal.LevelDb()) * std::sin(Phase(frame, signal.FrequencyHz()));
        break;
    case SignalKind::Noise:
        value =
            DbToLinear(signal.LevelDb()) * std::uniform_real_distribution<double>(-1.0, 1.0)(rng_);
        break;
    case SignalKind::Swell:
    case SignalKind::File: {
        const std::uint64_t ms = frame * 1000 / kRate / kEnvelopeMs * kEnvelopeMs;
        value = signal.Peak(out.channel, ms, ms + kEnvelopeMs, rng_) *
                std::sin(Phase(frame, kPeakToneHz));
        break;
    }
    }
    return static_cast<float>(value * out.scale);
}

} // namespace simcard::audio
