#pragma once
// What the cards want of the sound server, one wish per LiveSound, and the link that carries a wish
// out: the stream that carries the device's sound, whose state the device's LiveSound reports.
// Links live on the client library's thread: every member is called with its lock held.

#include "sim/audio/OutputRenderer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <pulse/pulseaudio.h>
#include <string>

namespace simcard::audio {

enum class Kind { Capture, Sink, Output };

struct Wish {
    Kind kind;
    std::shared_ptr<LiveSound> sound;
    std::string label; // the stream's name; a sink's description
    std::array<OutputChannel, 2> plan;
};

// Float stereo at `rate` frames per second, the format of every stream.
pa_sample_spec StreamFormat(std::uint32_t rate);
// How many bytes of that format last `ms`.
std::uint32_t Bytes(std::uint32_t ms, std::uint32_t rate = LiveSound::kRate);

class Link {
public:
    // `retryLater` is asked for another start a while after the stream failed.
    Link(Wish wish, std::uint64_t id, std::function<void(Link&)> retryLater);
    virtual ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    std::uint64_t Id() const { return id_; }
    LiveSound& Sound() const { return *wish_.sound; }
    // Takes what the cards want now (an output's plan); the wish's kind and sound stay.
    virtual void Update(const Wish&) {}
    // Starts on the server what is missing.
    virtual void Start(pa_context* context) = 0;
    // The connection is gone: everything the link had on the server with it.
    virtual void Lost() { ForgetStream(); }
    // The module loaded for the link, to unload when it ends; PA_INVALID_INDEX when none.
    virtual std::uint32_t Module() const { return PA_INVALID_INDEX; }
    // The server has loaded the module asked for (PA_INVALID_INDEX: it could not).
    virtual void ModuleLoaded(pa_context*, std::uint32_t) {}
    // A stream that failed is let go, so that the next start makes a new one.
    void ForgetFailedStream();
    void ForgetStream();

    // Failed: tried again by the retry timer, not at every round of the daemon.
    bool waiting = false;

protected:
    // A new stream of this link's name with its state watched; null (and the reason told to the
    // sound) when the context cannot make one.
    pa_stream* NewStream(pa_context* context, const pa_sample_spec& format);
    void RetryLater() { retryLater_(*this); }

    Wish wish_;
    pa_stream* stream_ = nullptr;

private:
    static void OnState(pa_stream* stream, void* self);

    std::uint64_t id_;
    std::function<void(Link&)> retryLater_;
};

} // namespace simcard::audio
