#pragma once
// Recording devices' links: a capture of a source of the server, and a playback device that is a
// sink of the server, heard through its sink's monitor once the null sink is loaded for it.
// What arrives is pushed to the device's LiveSound.

#include "sim/audio/Link.h"
#include "sim/audio/NullSinks.h"

#include <vector>

namespace simcard::audio {

class CaptureStream : public Link {
public:
    using Link::Link;
    void Start(pa_context* context) override;

private:
    static void OnReadable(pa_stream* stream, std::size_t bytes, void* self);

    std::vector<float> silence_;
};

class SinkStream : public CaptureStream {
public:
    SinkStream(Wish wish, std::uint64_t id, std::function<void(Link&)> retryLater,
               NullSinks& sinks);
    void Start(pa_context* context) override;
    void Lost() override;
    std::uint32_t Module() const override { return module_; }
    void ModuleLoaded(pa_context* context, std::uint32_t module) override;

private:
    NullSinks& sinks_;
    std::uint32_t module_ = PA_INVALID_INDEX;
    bool loading_ = false;
};

} // namespace simcard::audio
