#include "sim/audio/CaptureStream.h"

namespace simcard::audio {

namespace {

// A capture delivers its sound in fragments this long, so that meters see it promptly.
constexpr std::uint32_t kFragmentMs = 15;

} // namespace

void CaptureStream::Start(pa_context* context) {
    if (stream_)
        return;
    const pa_sample_spec format = StreamFormat(LiveSound::kRate);
    if (!NewStream(context, format))
        return;
    pa_buffer_attr attr{static_cast<std::uint32_t>(-1), 0, 0, 0, Bytes(kFragmentMs)};
    pa_stream_set_read_callback(stream_, &CaptureStream::OnReadable, this);
    std::string source = Sound().Name();
    if (wish_.kind == Kind::Sink)
        source += ".monitor";
    pa_stream_connect_record(stream_, source.empty() ? nullptr : source.c_str(), &attr,
                             PA_STREAM_ADJUST_LATENCY);
}

void CaptureStream::OnReadable(pa_stream* stream, std::size_t, void* self) {
    auto* link = static_cast<CaptureStream*>(self);
    const void* samples = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_peek(stream, &samples, &bytes) == 0 && bytes > 0) {
        // A hole in the stream (no data, only its length) is silence.
        if (!samples) {
            link->silence_.assign(bytes / sizeof(float), 0.0f);
            samples = link->silence_.data();
        }
        link->Sound().Push({static_cast<const float*>(samples), bytes / sizeof(float)},
                           LiveSound::SteadyMs());
        pa_stream_drop(stream);
    }
}

SinkStream::SinkStream(Wish wish, std::uint64_t id, std::function<void(Link&)> retryLater,
                       NullSinks& sinks)
    : CaptureStream(std::move(wish), id, std::move(retryLater)), sinks_(sinks) {}

void SinkStream::Start(pa_context* context) {
    if (stream_ || loading_)
        return;
    if (module_ == PA_INVALID_INDEX) {
        loading_ = true;
        sinks_.Load(context, Id(), Sound().Name(), wish_.label);
        return;
    }
    CaptureStream::Start(context);
}

void SinkStream::Lost() {
    CaptureStream::Lost();
    module_ = PA_INVALID_INDEX;
    loading_ = false;
}

void SinkStream::ModuleLoaded(pa_context* context, std::uint32_t module) {
    loading_ = false;
    if (module == PA_INVALID_INDEX) {
        Sound().SetCondition("the sink cannot be loaded: " +
                             std::string(pa_strerror(pa_context_errno(context))));
        RetryLater();
        return;
    }
    module_ = module;
    Start(context);
}

} // namespace simcard::audio
