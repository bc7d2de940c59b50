// Sections: the wishes and the link carrying each out; the connection (connect, lost, retry
// with back-off, sinks left behind); the links (streams, sinks, their callbacks); Sync.
#include "sim/audio/RealAudio.h"

#include "sim/audio/OutputRenderer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <pulse/pulseaudio.h>
#include <thread>
#include <unistd.h>

namespace simcard::audio {

namespace {

constexpr const char* kNoServer = "no sound server";
// A capture delivers its sound in fragments this long, so that meters see it promptly.
constexpr std::uint32_t kFragmentMs = 15;
// What an output keeps queued at the server.
constexpr std::uint32_t kOutputLatencyMs = 60;
// Reconnection: the first retry, doubling up to the last; and how often a failed stream is
// tried again while the server is there.
constexpr std::uint64_t kFirstRetryMs = 250;
constexpr std::uint64_t kLastRetryMs = 2000;
constexpr std::uint64_t kStreamRetryMs = 1000;
// How long the end waits for the server to unload the sinks.
constexpr auto kUnloadWait = std::chrono::seconds(1);
// A sink's module argument names the daemon that loaded it, so that a later one can tell a
// sink left behind from the sink of a daemon that still runs.
constexpr const char* kSinkPrefix = "sink_name=varnel_pro.";
constexpr const char* kDaemonProperty = "varnel_pro.daemon=";

const pa_sample_spec kFormat{PA_SAMPLE_FLOAT32LE, LiveSound::kRate, 2};

std::uint32_t Bytes(std::uint32_t ms) {
    return static_cast<std::uint32_t>(pa_usec_to_bytes(ms * PA_USEC_PER_MSEC, &kFormat));
}

enum class Kind { Capture, Sink, Output };

// What the cards want of the server, one entry per LiveSound.
struct Wish {
    Kind kind;
    std::shared_ptr<LiveSound> sound;
    std::string label; // the stream's name; a sink's description
    std::array<OutputChannel, 2> plan;
};

// Whether a module argument names a sink of ours whose daemon no longer runs (or is this one,
// from a connection that is gone).
bool LeftBehind(const char* argument) {
    const std::string text = argument ? argument : "";
    if (text.find(kSinkPrefix) == std::string::npos)
        return false;
    const std::size_t at = text.find(kDaemonProperty);
    if (at == std::string::npos)
        return true;
    const long pid = std::strtol(text.c_str() + at + std::strlen(kDaemonProperty), nullptr, 10);
    if (pid <= 0 || pid == getpid())
        return true;
    return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

struct RealAudio::Impl {
    // A wish carried out on the server: its stream, and for a sink the module loaded for it.
    struct Link {
        Impl* impl = nullptr;
        Wish wish;
        std::uint64_t id = 0;
        pa_stream* stream = nullptr;
        std::uint32_t module = PA_INVALID_INDEX;
        bool loading = false;
        // Failed: tried again by the retry timer, not at every round of the daemon.
        bool waiting = false;
        OutputRenderer renderer;
        std::vector<float> buffer;
    };
    struct Ticket {
        Impl* impl;
        std::uint64_t id;
    };

    pa_threaded_mainloop* loop = nullptr;
    pa_mainloop_api* api = nullptr;
    pa_context* context = nullptr;
    bool ready = false;      // connected, and the sinks left behind are unloaded
    bool serverDown = false; // the last connection failed or was lost
    pa_time_event* retry = nullptr;
    std::uint64_t retryMs = kFirstRetryMs;
    std::map<LiveSound*, std::unique_ptr<Link>> links;
    std::uint64_t nextId = 1;
    mutable std::mutex defaultsMutex;
    CardModel::ServerDefaults defaults;

    Impl() {
        loop = pa_threaded_mainloop_new();
        api = pa_threaded_mainloop_get_api(loop);
        pa_threaded_mainloop_start(loop);
    }

    ~Impl() {
        pa_threaded_mainloop_lock(loop);
        std::vector<pa_operation*> unloads;
        for (auto& [sound, link] : links)
            if (auto* op = Drop(*link))
                unloads.push_back(op);
        links.clear();
        pa_threaded_mainloop_unlock(loop);
        // The server takes the unloads in its own time; a server that hangs does not hold up the
        // daemon's end for long.
        const auto until = std::chrono::steady_clock::now() + kUnloadWait;
        for (pa_operation* op : unloads) {
            for (;;) {
                pa_threaded_mainloop_lock(loop);
                const bool running = pa_operation_get_state(op) == PA_OPERATION_RUNNING;
                pa_threaded_mainloop_unlock(loop);
                if (!running || std::chrono::steady_clock::now() >= until)
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            pa_operation_unref(op);
        }
        pa_threaded_mainloop_lock(loop);
        if (retry)
            api->time_free(retry);
        if (context) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_set_subscribe_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        pa_threaded_mainloop_unlock(loop);
        pa_threaded_mainloop_stop(loop);
        pa_threaded_mainloop_free(loop);
    }

    // --- the connection -------------------------------------------------------------------

    void Connect() {
        context = pa_context_new(api, "Varnel PRO card daemon");
        pa_context_set_state_callback(context, &Impl::OnContextState, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            Lost();
    }

    static void OnContextState(pa_context* c, void* self) {
        auto* impl = static_cast<Impl*>(self);
        switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY:
            impl->Ready();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            impl->Lost();
            break;
        default:
            break;
        }
    }

    void Ready() {
        serverDown = false;
        retryMs = kFirstRetryMs;
        pa_context_set_subscribe_callback(context, &Impl::OnServerEvent, this);
        pa_operation_unref(
            pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SERVER, nullptr, this));
        QueryDefaults();
        // Sinks left behind go first, so that ours can take their names.
        pa_operation_unref(pa_context_get_module_info_list(context, &Impl::OnModule, this));
    }

    void Lost() {
        ready = false;
        for (auto& [sound, link] : links) {
            ForgetStream(*link);
            link->module = PA_INVALID_INDEX;
            link->loading = false;
            sound->SetCondition(kNoServer);
        }
        {
            std::lock_guard lock(defaultsMutex);
            defaults = {};
        }
        // The context is let go by Advance: it must not be freed inside its own callback.
        serverDown = true;
        ScheduleRetry(retryMs);
        retryMs = std::min(retryMs * 2, kLastRetryMs);
    }

    void ScheduleRetry(std::uint64_t ms) {
        if (retry)
            return;
        timeval when{};
        pa_timeval_add(pa_gettimeofday(&when), ms * PA_USEC_PER_MSEC);
        retry = api->time_new(api, &when, &Impl::OnRetry, this);
    }

    static void OnRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self) {
        auto* impl = static_cast<Impl*>(self);
        api->time_free(event);
        impl->retry = nullptr;
        for (auto& [sound, link] : impl->links)
            link->waiting = false;
        impl->Advance();
    }

    // Brings the server up to the wishes: connects when needed, starts what is missing.
    void Advance() {
        if (links.empty())
            return;
        if (context && (pa_context_get_state(context) == PA_CONTEXT_FAILED ||
                        pa_context_get_state(context) == PA_CONTEXT_TERMINATED ||
                        pa_context_get_state(context) == PA_CONTEXT_UNCONNECTED)) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_set_subscribe_callback(context, nullptr, nullptr);
            pa_context_unref(context);
            context = nullptr;
        }
        if (!context) {
            if (!retry)
                Connect();
            return;
        }
        if (!ready)
            return;
        for (auto& [sound, link] : links) {
            if (link->stream && pa_stream_get_state(link->stream) == PA_STREAM_FAILED)
                ForgetStream(*link);
            if (!link->waiting)
                Start(*link);
        }
    }

    // A stream or sink that failed is tried again a while later.
    void RetryLater(Link& link) {
        link.waiting = true;
        ScheduleRetry(kStreamRetryMs);
    }

    static void OnServerEvent(pa_context*, pa_subscription_event_type_t, std::uint32_t,
                              void* self) {
        static_cast<Impl*>(self)->QueryDefaults();
    }

    void QueryDefaults() {
        pa_operation_unref(pa_context_get_server_info(context, &Impl::OnServerInfo, this));
    }

    static void OnServerInfo(pa_context*, const pa_server_info* info, void* self) {
        auto* impl = static_cast<Impl*>(self);
        if (!info)
            return;
        std::lock_guard lock(impl->defaultsMutex);
        impl->defaults.sink = info->default_sink_name ? info->default_sink_name : "";
        impl->defaults.source = info->default_source_name ? info->default_source_name : "";
    }

    static void OnModule(pa_context* c, const pa_module_info* info, int eol, void* self) {
        auto* impl = static_cast<Impl*>(self);
        if (eol) {
            impl->ready = true;
            // A daemon that has only looked for sinks left behind does not stay on the server,
            // once the server has unloaded them.
            if (impl->links.empty()) {
                if (pa_operation* drain = pa_context_drain(c, &Impl::OnSwept, impl))
                    pa_operation_unref(drain);
                else
                    OnSwept(c, impl);
                return;
            }
            impl->Advance();
            return;
        }
        if (info && LeftBehind(info->argument))
            pa_operation_unref(pa_context_unload_module(c, info->index, nullptr, nullptr));
    }

    static void OnSwept(pa_context* c, void* self) {
        auto* impl = static_cast<Impl*>(self);
        if (!impl->links.empty())
            return;
        pa_context_set_state_callback(c, nullptr, nullptr);
        pa_context_set_subscribe_callback(c, nullptr, nullptr);
        pa_context_disconnect(c);
        impl->ready = false;
    }

    // --- the links ------------------------------------------------------------------------

    void Start(Link& link) {
        if (link.stream || link.loading)
            return;
        if (link.wish.kind == Kind::Sink && link.module == PA_INVALID_INDEX) {
            LoadSink(link);
            return;
        }
        link.stream = pa_stream_new(context, link.wish.label.c_str(), &kFormat, nullptr);
        if (!link.stream) {
            link.wish.sound->SetCondition(pa_strerror(pa_context_errno(context)));
            return;
        }
        pa_stream_set_state_callback(link.stream, &Impl::OnStreamState, &link);
        const auto flags = PA_STREAM_ADJUST_LATENCY;
        if (link.wish.kind == Kind::Output) {
            pa_buffer_attr attr{static_cast<std::uint32_t>(-1), Bytes(kOutputLatencyMs),
                                static_cast<std::uint32_t>(-1), static_cast<std::uint32_t>(-1),
                                static_cast<std::uint32_t>(-1)};
            pa_stream_set_write_callback(link.stream, &Impl::OnWritable, &link);
            const std::string& sink = link.wish.sound->Name();
            pa_stream_connect_playback(link.stream, sink.empty() ? nullptr : sink.c_str(), &attr,
                                       flags, nullptr, nullptr);
            return;
        }
        pa_buffer_attr attr{static_cast<std::uint32_t>(-1), 0, 0, 0, Bytes(kFragmentMs)};
        pa_stream_set_read_callback(link.stream, &Impl::OnReadable, &link);
        std::string source = link.wish.sound->Name();
        if (link.wish.kind == Kind::Sink)
            source += ".monitor";
        pa_stream_connect_record(link.stream, source.empty() ? nullptr : source.c_str(), &attr,
                                 flags);
    }

    void LoadSink(Link& link) {
        const std::string argument = "sink_name=" + link.wish.sound->Name() +
                                     " sink_properties='device.description=\"" + link.wish.label +
                                     "\" " + kDaemonProperty + std::to_string(getpid()) + "'";
        link.loading = true;
        auto* ticket = new Ticket{this, link.id};
        pa_operation_unref(pa_context_load_module(context, "module-null-sink", argument.c_str(),
                                                  &Impl::OnSinkLoaded, ticket));
    }

    static void OnSinkLoaded(pa_context* c, std::uint32_t index, void* data) {
        std::unique_ptr<Ticket> ticket(static_cast<Ticket*>(data));
        Link* link = ticket->impl->Find(ticket->id);
        if (!link) {
            // The device left its sink while the server was loading it.
            if (index != PA_INVALID_INDEX)
                pa_operation_unref(pa_context_unload_module(c, index, nullptr, nullptr));
            return;
        }
        link->loading = false;
        if (index == PA_INVALID_INDEX) {
            link->wish.sound->SetCondition("the sink cannot be loaded: " +
                                           std::string(pa_strerror(pa_context_errno(c))));
            ticket->impl->RetryLater(*link);
            return;
        }
        link->module = index;
        ticket->impl->Start(*link);
    }

    Link* Find(std::uint64_t id) {
        for (auto& [sound, link] : links)
            if (link->id == id)
                return link.get();
        return nullptr;
    }

    static void OnStreamState(pa_stream* stream, void* data) {
        auto* link = static_cast<Link*>(data);
        LiveSound& sound = *link->wish.sound;
        switch (pa_stream_get_state(stream)) {
        case PA_STREAM_READY:
            // An output has nothing of its own to push; what it says is that it is heard.
            sound.SetCondition("");
            break;
        case PA_STREAM_FAILED: {
            const int error = pa_context_errno(pa_stream_get_context(stream));
            if (error == PA_ERR_NOENTITY)
                sound.SetCondition(link->wish.kind == Kind::Output ? "no such sink"
                                                                   : "no such source");
            else if (error != PA_ERR_CONNECTIONTERMINATED)
                sound.SetCondition(pa_strerror(error));
            link->impl->RetryLater(*link);
            break;
        }
        default:
            break;
        }
    }

    static void OnReadable(pa_stream* stream, std::size_t, void* data) {
        auto* link = static_cast<Link*>(data);
        const void* samples = nullptr;
        std::size_t bytes = 0;
        while (pa_stream_peek(stream, &samples, &bytes) == 0 && bytes > 0) {
            // A hole in the stream (no data, only its length) is silence.
            if (!samples) {
                link->buffer.assign(bytes / sizeof(float), 0.0f);
                samples = link->buffer.data();
            }
            link->wish.sound->Push({static_cast<const float*>(samples), bytes / sizeof(float)},
                                   LiveSound::SteadyMs());
            pa_stream_drop(stream);
        }
    }

    static void OnWritable(pa_stream* stream, std::size_t bytes, void* data) {
        auto* link = static_cast<Link*>(data);
        link->buffer.resize(bytes / sizeof(float) / 2 * 2);
        link->renderer.Render(link->buffer);
        pa_stream_write(stream, link->buffer.data(), link->buffer.size() * sizeof(float), nullptr,
                        0, PA_SEEK_RELATIVE);
    }

    void ForgetStream(Link& link) {
        if (!link.stream)
            return;
        pa_stream_set_state_callback(link.stream, nullptr, nullptr);
        pa_stream_set_read_callback(link.stream, nullptr, nullptr);
        pa_stream_set_write_callback(link.stream, nullptr, nullptr);
        if (pa_stream_get_state(link.stream) == PA_STREAM_READY ||
            pa_stream_get_state(link.stream) == PA_STREAM_CREATING)
            pa_stream_disconnect(link.stream);
        pa_stream_unref(link.stream);
        link.stream = nullptr;
    }

    // Ends a link on the server; the unload of its sink, if any, to wait for.
    pa_operation* Drop(Link& link) {
        ForgetStream(link);
        if (link.module == PA_INVALID_INDEX || !ready)
            return nullptr;
        return pa_context_unload_module(context, link.module, nullptr, nullptr);
    }

    void Apply(std::map<LiveSound*, Wish> wishes) {
        for (auto it = links.begin(); it != links.end();) {
            if (wishes.count(it->first)) {
                ++it;
                continue;
            }
            if (auto* op = Drop(*it->second))
                pa_operation_unref(op);
            it = links.erase(it);
        }
        for (auto& [sound, wish] : wishes) {
            auto& link = links[sound];
            if (!link) {
                link = std::make_unique<Link>();
                link->impl = this;
                link->id = nextId++;
                link->wish = wish;
                if (serverDown)
                    sound->SetCondition(kNoServer);
            }
            link->renderer.SetPlan(wish.plan);
        }
        Advance();
    }
};

RealAudio::RealAudio(CardModel& model) : model_(model), impl_(std::make_unique<Impl>()) {
    model_.SetServerDefaults([this] { return Defaults(); });
    // A starting daemon unloads the sinks a daemon that is gone left behind, once, whether or not
    // it wants the server itself; an absent server is looked for again only when wanted.
    pa_threaded_mainloop_lock(impl_->loop);
    impl_->Connect();
    pa_threaded_mainloop_unlock(impl_->loop);
}

RealAudio::~RealAudio() {
    model_.SetServerDefaults({});
}

CardModel::ServerDefaults RealAudio::Defaults() const {
    std::lock_guard lock(impl_->defaultsMutex);
    return impl_->defaults;
}

// How the server shows a device's stream or sink: "Varnel PRO Analog Playback",
// "Varnel PRO Digital Record II", "Varnel PRO ADAT Playback 9-10".
std::string RealAudio::Label(int card, WaveDirection direction, int device) const {
    std::string name =
        model_.ListDevices(direction).at(model_.DeviceIdOf(card, direction, device)).name;
    // Card 0's devices end in a blank where the others have their numeral.
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return "Varnel PRO " + name;
}

void RealAudio::Sync() {
    constexpr auto In = WaveDirection::In;
    constexpr auto Out = WaveDirection::Out;
    std::map<LiveSound*, Wish> wishes;
    for (int c = 0; c < model_.CardCount(); ++c) {
        const SimulatedCard& card = model_.Card(c);
        for (int dev = 0; dev < kDevicesPerDirection; ++dev) {
            if (const auto& live = card.input[dev].Live())
                wishes[live.get()] = {Kind::Capture, live, Label(c, In, dev), {}};
            if (const auto& live = card.playback[dev].Live())
                wishes[live.get()] = {Kind::Sink, live, Label(c, Out, dev), {}};
        }
        for (int out = kAnalog; out <= kDigital; ++out) {
            const auto& sink = card.heardOn[out];
            if (!sink)
                continue;
            Wish wish{Kind::Output, sink, Label(c, Out, out), {}};
            for (int ch = 0; ch < 2; ++ch) {
                const RoutedChannel routed = card.Routed(out, ch);
                if (routed.signal)
                    wish.plan[ch] = {*routed.signal, routed.channel, routed.scale};
            }
            wishes[sink.get()] = std::move(wish);
        }
    }
    // Links change only here: with no wish now and none before, the audio thread has nothing to do.
    if (wishes.empty() && !hadWishes_)
        return;
    hadWishes_ = !wishes.empty();
    pa_threaded_mainloop_lock(impl_->loop);
    impl_->Apply(std::move(wishes));
    pa_threaded_mainloop_unlock(impl_->loop);
}

} // namespace simcard::audio
