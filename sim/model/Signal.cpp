#include "sim/model/Signal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <sndfile.h>

namespace simcard {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// The tone a swelling signal swells on.
constexpr double kSwellToneHz = 440;
// A longer file is refused: its peaks would be read in one go by a single-threaded daemon.
constexpr sf_count_t kMaxFileFrames = sf_count_t{48000} * 60 * 30;

// Highest value of sin(x) for x in [a, b].
double MaxSin(double a, double b) {
    if (b - a >= kTwoPi)
        return 1;
    double crest = std::numbers::pi / 2 + kTwoPi * std::ceil((a - std::numbers::pi / 2) / kTwoPi);
    if (crest <= b)
        return 1;
    return std::max(std::sin(a), std::sin(b));
}

// Highest value of |sin(x)| for x in [a, b].
double MaxAbsSin(double a, double b) {
    if (b - a >= std::numbers::pi)
        return 1;
    double crest = std::numbers::pi / 2 +
                   std::numbers::pi * std::ceil((a - std::numbers::pi / 2) / std::numbers::pi);
    if (crest <= b)
        return 1;
    return std::max(std::abs(std::sin(a)), std::abs(std::sin(b)));
}

// Angle of a periodic motion at time t, kept small so that long uptimes lose no precision.
double Angle(std::uint64_t timeMs, double periodMs, double phase) {
    return kTwoPi * std::fmod(static_cast<double>(timeMs), periodMs) / periodMs + phase;
}

// Angle of a motion of `periodFrames` at a frame, kept small in the same way.
double FrameAngle(std::uint64_t frame, double periodFrames, double phase) {
    return kTwoPi * std::fmod(static_cast<double>(frame), periodFrames) / periodFrames + phase;
}

std::string FormatDb(double db) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", db);
    return text;
}

} // namespace

double DbToLinear(double db) {
    return std::pow(10.0, db / 20.0);
}

std::int32_t ToMeterScale(double linear) {
    double value = std::round(linear * 32767.0);
    return static_cast<std::int32_t>(std::clamp(value, 0.0, 32767.0));
}

double AnalogGainDb(std::uint16_t word) {
    double position = std::clamp(word / 256.0, 108.0, 255.0);
    return -40.0 + (position - 108.0) * 75.0 / 147.0;
}

Signal Signal::Sine(double levelDb, double frequencyHz) {
    Signal s;
    s.kind_ = SignalKind::Sine;
    s.levelDb_ = levelDb;
    s.frequencyHz_ = frequencyHz;
    return s;
}

Signal Signal::Noise(double levelDb) {
    Signal s;
    s.kind_ = SignalKind::Noise;
    s.levelDb_ = levelDb;
    return s;
}

Signal Signal::Swell(double centreDb, double depthDb, double periodMs, double phaseLeft,
                     double phaseRight) {
    Signal s;
    s.kind_ = SignalKind::Swell;
    s.levelDb_ = centreDb;
    s.depthDb_ = depthDb;
    s.periodMs_ = periodMs;
    s.phase_[0] = phaseLeft;
    s.phase_[1] = phaseRight;
    return s;
}

std::optional<Signal> Signal::FromFile(const std::string& path, std::string* error) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        *error = "cannot read \"" + path + "\": " + sf_strerror(nullptr);
        return std::nullopt;
    }
    if (info.frames <= 0 || info.channels <= 0 || info.samplerate <= 0 ||
        info.frames > kMaxFileFrames) {
        sf_close(file);
        *error = "\"" + path + "\" is empty or longer than 30 minutes";
        return std::nullopt;
    }
    auto peaks = std::make_shared<FilePeaks>();
    peaks->rate = static_cast<std::uint32_t>(info.samplerate);
    const sf_count_t framesPerBlock =
        std::max<sf_count_t>(1, info.samplerate * FilePeaks::kBlockMs / 1000);
    std::vector<float> buffer(static_cast<std::size_t>(framesPerBlock * info.channels));
    for (;;) {
        sf_count_t got = sf_readf_float(file, buffer.data(), framesPerBlock);
        if (got <= 0)
            break;
        float left = 0, right = 0;
        for (sf_count_t i = 0; i < got; ++i) {
            const float* frame = &buffer[static_cast<std::size_t>(i * info.channels)];
            left = std::max(left, std::abs(frame[0]));
            right = std::max(right, std::abs(frame[info.channels > 1 ? 1 : 0]));
        }
        peaks->left.push_back(std::min(left, 1.0f));
        peaks->right.push_back(std::min(right, 1.0f));
        peaks->wholeLeft = std::max(peaks->wholeLeft, peaks->left.back());
        peaks->wholeRight = std::max(peaks->wholeRight, peaks->right.back());
    }
    sf_close(file);
    if (peaks->left.empty()) {
        *error = "\"" + path + "\" holds no audio";
        return std::nullopt;
    }
    Signal s;
    s.kind_ = SignalKind::File;
    s.path_ = path;
    s.file_ = std::move(peaks);
    return s;
}

Signal Signal::Capture(const std::string& source) {
    Signal s;
    s.kind_ = SignalKind::Capture;
    s.live_ = std::make_shared<LiveSound>(source);
    return s;
}

Signal Signal::PlaybackSink(const std::string& sinkName) {
    Signal s;
    s.kind_ = SignalKind::PlaybackSink;
    s.live_ = std::make_shared<LiveSound>(sinkName);
    return s;
}

std::string Signal::Describe() const {
    if (live_) {
        std::string text = kind_ == SignalKind::Capture ? "capture" : "playback-sink";
        if (!live_->Name().empty())
            text += " " + live_->Name();
        if (std::string why = live_->Condition(); !why.empty())
            text += " (" + why + ")";
        return text;
    }
    switch (kind_) {
    case SignalKind::Silence:
        return "silence";
    case SignalKind::Sine:
        return "sine " + FormatDb(levelDb_) + " " + FormatDb(frequencyHz_);
    case SignalKind::Noise:
        return "noise " + FormatDb(levelDb_);
    case SignalKind::Swell:
        return "swell " + FormatDb(levelDb_);
    case SignalKind::File:
        return "file " + path_;
    case SignalKind::Capture:
    case SignalKind::PlaybackSink:
        break;
    }
    return {};
}

double Signal::Peak(int channel, std::uint64_t fromMs, std::uint64_t toMs,
                    std::mt19937& rng) const {
    // Even a read at the very instant of the last one sees the samples of the current millisecond.
    toMs = std::max(toMs, fromMs + 1);
    switch (kind_) {
    case SignalKind::Silence:
        return 0;
    case SignalKind::Sine: {
        if (frequencyHz_ <= 0)
            return 0;
        double periodMs = 1000.0 / frequencyHz_;
        double a = Angle(fromMs, periodMs, 0);
        return DbToLinear(levelDb_) * MaxAbsSin(a, a + kTwoPi * double(toMs - fromMs) / periodMs);
    }
    case SignalKind::Noise: {
        std::uniform_real_distribution<double> spread(0.8, 1.0);
        return std::min(1.0, DbToLinear(levelDb_) * spread(rng));
    }
    case SignalKind::Swell: {
        double a = Angle(fromMs, periodMs_, phase_[channel]);
        double top = MaxSin(a, a + kTwoPi * double(toMs - fromMs) / periodMs_);
        return std::min(1.0, DbToLinear(levelDb_ + depthDb_ * top));
    }
    case SignalKind::File: {
        const auto& blocks = channel == 0 ? file_->left : file_->right;
        const std::uint64_t count = blocks.size();
        std::uint64_t first = fromMs / FilePeaks::kBlockMs;
        std::uint64_t last = (toMs - 1) / FilePeaks::kBlockMs;
        if (last - first + 1 >= count)
            return channel == 0 ? file_->wholeLeft : file_->wholeRight;
        float peak = 0;
        for (std::uint64_t b = first; b <= last; ++b)
            peak = std::max(peak, blocks[b % count]);
        return peak;
    }
    case SignalKind::Capture:
    case SignalKind::PlaybackSink:
        // Live sound is read as the span that has just passed, whatever clock the card keeps.
        return live_->Peak(channel, toMs - fromMs, LiveSound::SteadyMs());
    }
    return 0;
}

double Signal::Sample(int channel, std::uint64_t frame, std::uint32_t rate,
                      std::mt19937& rng) const {
    switch (kind_) {
    case SignalKind::Sine:
        if (frequencyHz_ <= 0)
            return 0;
        return DbToLinear(levelDb_) * std::sin(FrameAngle(frame, rate / frequencyHz_, 0));
    case SignalKind::Noise:
        return DbToLinear(levelDb_) * std::uniform_real_distribution<double>(-1.0, 1.0)(rng);
    case SignalKind::Swell: {
        const double swell = std::sin(FrameAngle(frame, periodMs_ * rate / 1000, phase_[channel]));
        return std::min(1.0, DbToLinear(levelDb_ + depthDb_ * swell)) *
               std::sin(FrameAngle(frame, rate / kSwellToneHz, 0));
    }
    case SignalKind::Silence:
    case SignalKind::File:
    case SignalKind::Capture:
    case SignalKind::PlaybackSink:
        break;
    }
    return 0;
}

} // namespace simcard
