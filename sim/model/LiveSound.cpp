#include "sim/model/LiveSound.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace simcard {

namespace {

// Peaks older than this are of no use to any meter read.
constexpr std::uint64_t kKeepMs = 2000;
// Where a reader that lost its place starts: behind the newest frame by a few fragments, so that
// the frames it reads next have arrived.
constexpr std::uint64_t kReadBehindFrames = LiveSound::kRate * 3 * LiveSound::kFragmentMs / 1000;

} // namespace

LiveSound::LiveSound(std::string name) : name_(std::move(name)) {}

std::uint64_t LiveSound::SteadyMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string LiveSound::Condition() const {
    std::lock_guard lock(mutex_);
    return condition_;
}

void LiveSound::SetCondition(std::string why) {
    std::lock_guard lock(mutex_);
    condition_ = std::move(why);
    if (!condition_.empty())
        fragments_.clear();
}

void LiveSound::Push(std::span<const float> stereo, std::uint64_t nowMs) {
    Fragment fragment{nowMs, {0, 0}};
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2)
        for (int ch = 0; ch < 2; ++ch)
            fragment.peak[ch] =
                std::max(fragment.peak[ch], std::min(1.0f, std::abs(stereo[i + ch])));
    std::lock_guard lock(mutex_);
    condition_.clear();
    fragments_.push_back(fragment);
    while (!fragments_.empty() && fragments_.front().endMs + kKeepMs < nowMs)
        fragments_.pop_front();
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
        const std::size_t at = 2 * (written_ % kRingFrames);
        ring_[at] = stereo[i];
        ring_[at + 1] = stereo[i + 1];
        ++written_;
    }
}

double LiveSound::Peak(int channel, std::uint64_t spanMs, std::uint64_t nowMs) const {
    const std::uint64_t from = nowMs > spanMs + kFragmentMs ? nowMs - spanMs - kFragmentMs : 0;
    std::lock_guard lock(mutex_);
    float peak = 0;
    for (const Fragment& f : fragments_)
        if (f.endMs >= from && f.endMs <= nowMs)
            peak = std::max(peak, f.peak[channel]);
    return peak;
}

void LiveSound::Read(std::uint64_t& cursor, std::span<float> stereo) const {
    std::lock_guard lock(mutex_);
    const std::uint64_t frames = stereo.size() / 2;
    if (cursor > written_ || written_ - cursor + frames > kRingFrames)
        cursor = written_ > kReadBehindFrames ? written_ - kReadBehindFrames : 0;
    for (std::uint64_t i = 0; i < frames; ++i) {
        const bool arrived = cursor < written_;
        for (std::size_t ch = 0; ch < 2; ++ch)
            stereo[2 * i + ch] = arrived ? ring_[2 * (cursor % kRingFrames) + ch] : 0.0f;
        if (arrived)
            ++cursor;
    }
}

} // namespace simcard
