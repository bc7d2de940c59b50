#pragma once
// Renders the sound an output of the simulated card plays, as samples: live sound of the machine's
// sound server is played on as it arrived, a file signal's file as its own samples, and the
// generated signals as their generator makes them (a sine as that sine, noise as noise, a swelling
// signal as the swelling tone its peaks show). Routes and gains apply as they do to the peaks.

#include "sim/audio/FilePlayer.h"
#include "sim/model/SimulatedCard.h"

#include <array>
#include <cstdint>
#include <memory>
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
    void SetPlan(const std::array<OutputChannel, 2>& plan);
    // Frames per second to play at: a file's own rate (the left channel's file first), else the
    // rate of live sound.
    std::uint32_t Rate() const { return rate_; }
    // Fills interleaved stereo frames and moves on by as many.
    void Render(std::span<float> stereo);

private:
    std::array<OutputChannel, 2> plan_;
    std::uint32_t rate_ = LiveSound::kRate;
    std::array<std::uint64_t, 2> cursors_{};
    std::array<std::unique_ptr<FilePlayer>, 2> files_;
    std::uint64_t frame_ = 0;
    std::mt19937 rng_{0x0a0d10};
    std::vector<float> samples_;
};

} // namespace simcard::audio
