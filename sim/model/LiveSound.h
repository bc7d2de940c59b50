#pragma once
// Sound of this machine's sound server that a device of the simulated card follows: a capture
// source at a recording device, the monitor of the device's own sink on a playback device, or (on
// an output) the sink the card plays to. The audio thread pushes what arrives and says why nothing
// does; the card's meters read the peaks of the span that has just passed, and an output that plays
// the sound on reads its samples. Every member is safe to call from any thread.

#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace simcard {

class LiveSound {
public:
    // Frames per second of what is pushed, two channels interleaved.
    static constexpr std::uint32_t kRate = 48000;
    // Samples are kept this long for an output that plays them on.
    static constexpr std::size_t kRingFrames = kRate / 4;
    // A read also sees the fragment that was on its way when the span began.
    static constexpr std::uint64_t kFragmentMs = 20;

    // `name`: the source or sink on the server; empty for the server's default.
    explicit LiveSound(std::string name);

    const std::string& Name() const { return name_; }
    // Why nothing arrives ("no sound server"); empty while sound arrives.
    std::string Condition() const;
    // A condition other than "" also drops what arrived, so that the device falls silent.
    void SetCondition(std::string why);

    // Stereo frames that arrived at `nowMs` (any steady millisecond clock, the same for reads).
    void Push(std::span<const float> stereo, std::uint64_t nowMs);
    // The highest magnitude of a channel over the last `spanMs` before `nowMs`, on 0..1.
    double Peak(int channel, std::uint64_t spanMs, std::uint64_t nowMs) const;
    // Copies stereo frames from `cursor` on (a count of frames pushed) and moves it on; a reader
    // that fell behind is set a few fragments behind the newest frame, and frames that have not
    // arrived yet read as silence without moving it.
    void Read(std::uint64_t& cursor, std::span<float> stereo) const;

    // The steady clock the audio thread and the meters share.
    static std::uint64_t SteadyMs();

private:
    struct Fragment {
        std::uint64_t endMs;
        float peak[2];
    };

    const std::string name_;
    mutable std::mutex mutex_;
    std::string condition_ = "waiting for the sound server";
    std::deque<Fragment> fragments_;
    std::vector<float> ring_ = std::vector<float>(2 * kRingFrames);
    std::uint64_t written_ = 0; // frames pushed so far
};

} // namespace simcard
