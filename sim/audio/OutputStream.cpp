#include "sim/audio/OutputStream.h"

namespace simcard::audio {

namespace {

// What an output keeps queued at the server.
constexpr std::uint32_t kOutputLatencyMs = 60;

} // namespace

OutputStream::OutputStream(Wish wish, std::uint64_t id, std::function<void(Link&)> retryLater)
    : Link(std::move(wish), id, std::move(retryLater)) {
    renderer_.SetPlan(wish_.plan);
}

void OutputStream::Update(const Wish& wish) {
    renderer_.SetPlan(wish.plan);
    // The next start plays at the new rate.
    if (stream_ && renderer_.Rate() != rate_)
        ForgetStream();
}

void OutputStream::Start(pa_context* context) {
    if (stream_)
        return;
    rate_ = renderer_.Rate();
    if (!NewStream(context, StreamFormat(rate_)))
        return;
    const auto unset = static_cast<std::uint32_t>(-1);
    pa_buffer_attr attr{unset, Bytes(kOutputLatencyMs, rate_), unset, unset, unset};
    pa_stream_set_write_callback(stream_, &OutputStream::OnWritable, this);
    const std::string& sink = Sound().Name();
    pa_stream_connect_playback(stream_, sink.empty() ? nullptr : sink.c_str(), &attr,
                               PA_STREAM_ADJUST_LATENCY, nullptr, nullptr);
}

void OutputStream::OnWritable(pa_stream* stream, std::size_t bytes, void* self) {
    auto* link = static_cast<OutputStream*>(self);
    link->buffer_.resize(bytes / sizeof(float) / 2 * 2);
    link->renderer_.Render(link->buffer_);
    pa_stream_write(stream, link->buffer_.data(), link->buffer_.size() * sizeof(float), nullptr, 0,
                    PA_SEEK_RELATIVE);
}

} // namespace simcard::audio
