#pragma once
// An output of the card heard on a sink of the server: a playback stream that the output's
// renderer fills. The stream runs at the rate the output's sound has (a sound file's own rate),
// and is made anew when that changes.

#include "sim/audio/Link.h"

#include <vector>

namespace simcard::audio {

class OutputStream : public Link {
public:
    OutputStream(Wish wish, std::uint64_t id, std::function<void(Link&)> retryLater);
    void Update(const Wish& wish) override;
    void Start(pa_context* context) override;

private:
    static void OnWritable(pa_stream* stream, std::size_t bytes, void* self);

    OutputRenderer renderer_;
    std::uint32_t rate_ = 0; // of the stream there is
    std::vector<float> buffer_;
};

} // namespace simcard::audio
