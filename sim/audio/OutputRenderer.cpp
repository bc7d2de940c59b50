#include "sim/audio/OutputRenderer.h"

#include <algorithm>

namespace simcard::audio {

void OutputRenderer::SetPlan(const std::array<OutputChannel, 2>& plan) {
    plan_ = plan;
    rate_ = LiveSound::kRate;
    for (int ch = 1; ch >= 0; --ch)
        if (const auto& file = plan_[ch].signal.File())
            rate_ = file->rate;
}

void OutputRenderer::Render(std::span<float> stereo) {
    const std::size_t frames = stereo.size() / 2;
    for (int ch = 0; ch < 2; ++ch) {
        const OutputChannel& out = plan_[ch];
        if (const auto& live = out.signal.Live()) {
            samples_.resize(stereo.size());
            live->Read(cursors_[ch], samples_);
            for (std::size_t i = 0; i < frames; ++i)
                stereo[2 * i + ch] = static_cast<float>(samples_[2 * i + out.channel] * out.scale);
            continue;
        }
        if (const auto& file = out.signal.File()) {
            // Opened on this thread, when first played, so that the card's daemon never waits.
            if (!files_[ch] || !files_[ch]->Plays(file.get()))
                files_[ch] = std::make_unique<FilePlayer>(file, out.signal.Path());
            samples_.resize(frames);
            files_[ch]->Read(out.channel, samples_);
            for (std::size_t i = 0; i < frames; ++i)
                stereo[2 * i + ch] = static_cast<float>(samples_[i] * out.scale);
            continue;
        }
        files_[ch].reset();
        for (std::size_t i = 0; i < frames; ++i)
            stereo[2 * i + ch] = static_cast<float>(
                out.signal.Sample(out.channel, frame_ + i, rate_, rng_) * out.scale);
    }
    frame_ += frames;
    for (float& sample : stereo)
        sample = std::clamp(sample, -1.0f, 1.0f);
}

} // namespace simcard::audio
