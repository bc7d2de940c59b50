#include "sim/audio/Link.h"

namespace simcard::audio {

pa_sample_spec StreamFormat(std::uint32_t rate) {
    return {PA_SAMPLE_FLOAT32LE, rate, 2};
}

std::uint32_t Bytes(std::uint32_t ms, std::uint32_t rate) {
    const pa_sample_spec format = StreamFormat(rate);
    return static_cast<std::uint32_t>(pa_usec_to_bytes(ms * PA_USEC_PER_MSEC, &format));
}

Link::Link(Wish wish, std::uint64_t id, std::function<void(Link&)> retryLater)
    : wish_(std::move(wish)), id_(id), retryLater_(std::move(retryLater)) {}

Link::~Link() {
    ForgetStream();
}

pa_stream* Link::NewStream(pa_context* context, const pa_sample_spec& format) {
    stream_ = pa_stream_new(context, wish_.label.c_str(), &format, nullptr);
    if (!stream_) {
        Sound().SetCondition(pa_strerror(pa_context_errno(context)));
        return nullptr;
    }
    pa_stream_set_state_callback(stream_, &Link::OnState, this);
    return stream_;
}

void Link::OnState(pa_stream* stream, void* self) {
    auto* link = static_cast<Link*>(self);
    LiveSound& sound = link->Sound();
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        // An output has nothing of its own to push; what it says is that it is heard.
        sound.SetCondition("");
        break;
    case PA_STREAM_FAILED: {
        const int error = pa_context_errno(pa_stream_get_context(stream));
        if (error == PA_ERR_NOENTITY)
            sound.SetCondition(link->wish_.kind == Kind::Output ? "no such sink"
                                                                : "no such source");
        else if (error != PA_ERR_CONNECTIONTERMINATED)
            sound.SetCondition(pa_strerror(error));
        link->RetryLater();
        break;
    }
    default:
        break;
    }
}

void Link::ForgetFailedStream() {
    if (stream_ && pa_stream_get_state(stream_) == PA_STREAM_FAILED)
        ForgetStream();
}

void Link::ForgetStream() {
    if (!stream_)
        return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    if (pa_stream_get_state(stream_) == PA_STREAM_READY ||
        pa_stream_get_state(stream_) == PA_STREAM_CREATING)
        pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

} // namespace simcard::audio
