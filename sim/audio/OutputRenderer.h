#pragma once
// Renders the sound an output of the simulated card plays, as samples: live sound of the machine's
// sound server is played on as it arrived; generated signals are made audible from what the card
// knows of them: a sine as that sine, noise as noise, and a swelling signal or a file (of which the
// card keeps only the peaks) as a tone that follows their peaks.

#include "sim/model/SimulatedCard.h"

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

namespace simcard::audio {

// One channel of an output as its route makes it, held by value so that the audio thread can
// render it while the card changes.
struct OutputChannel {
    Signal signal;
    int channel = 0;
    double scale = 0;
};

class OutputRenderer {
public:
    static constexpr std::uint32_t kRate = LiveSound::kRate;

    void SetPlan(const std::array<OutputChannel, 2>& plan) { plan_ = plan; }
    // Fills interleaved stereo frames and moves on by as many.
    void Render(std::span<float> stereo);

private:
    float Sample(int channel, std::uint64_t frame);

    std::array<OutputChannel, 2> plan_;
    std::array<std::uint64_t, 2> cursors_{};
    std::uint64_t frame_ = 0;
    std::mt19937 rng_{0x0a0d10};
    std::vector<float> live_;
};

} // namespace simcard::audio
