// Sections: the links kept for the cards' wishes and how they follow the connection; the end,
// which waits a while for the server to unload the sinks; Sync, which gathers the wishes.
#include "sim/audio/RealAudio.h"

#include "sim/audio/CaptureStream.h"
#include "sim/audio/NullSinks.h"
#include "sim/audio/OutputStream.h"
#include "sim/audio/ServerConnection.h"

#include <chrono>
#include <map>
#include <thread>

namespace simcard::audio {

namespace {

constexpr const char* kNoServer = "no sound server";
// How often a failed stream or sink is tried again while the server is there.
constexpr std::uint64_t kStreamRetryMs = 1000;
// How long the end waits for the server to answer the loads and unloads of sinks.
constexpr auto kUnloadWait = std::chrono::seconds(1);

} // namespace

struct RealAudio::Impl final : ServerConnection::Listener {
    // Everything below lives on its thread.
    ServerConnection connection{*this};
    NullSinks sinks{[this](pa_context* c, std::uint64_t id, std::uint32_t module) {
        Link* link = Find(id);
        if (link)
            link->ModuleLoaded(c, module);
        return link != nullptr;
    }};
    bool ready = false; // connected, and the sinks left behind are unloaded
    std::map<LiveSound*, std::unique_ptr<Link>> links;
    std::uint64_t nextId = 1;

    ~Impl() {
        {
            ServerConnection::Locked lock(connection);
            for (auto& [sound, link] : links)
                Drop(*link);
            links.clear();
        }
        // The server takes the unloads (and loads still under way, whose sinks are unloaded as
        // they come) in its own time; a server that hangs does not hold up the daemon's end long.
        const auto until = std::chrono::steady_clock::now() + kUnloadWait;
        for (;;) {
            {
                ServerConnection::Locked lock(connection);
                if (!sinks.Busy() || std::chrono::steady_clock::now() >= until) {
                    sinks.Abandon();
                    break;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // Leaves the server before the members end, so that no callback reaches them meanwhile.
        connection.Close();
    }

    void Connected(pa_context* context) override {
        // Sinks left behind go first, so that ours can take their names.
        sinks.Sweep(context, [this] { Swept(); });
    }

    void Swept() {
        ready = true;
        if (!links.empty()) {
            Advance();
            return;
        }
        // A daemon that has only looked for sinks left behind does not stay on the server, once
        // the server has unloaded them.
        connection.LeaveWhenDrained([this] {
            if (!links.empty())
                return false;
            ready = false;
            return true;
        });
    }

    void Lost() override {
        ready = false;
        sinks.Abandon();
        for (auto& [sound, link] : links) {
            link->Lost();
            sound->SetCondition(kNoServer);
        }
    }

    void Retry() override {
        for (auto& [sound, link] : links)
            link->waiting = false;
        Advance();
    }

    // Brings the server up to the wishes: connects when needed, starts what is missing.
    void Advance() {
        if (links.empty() || !connection.Ensure() || !ready)
            return;
        for (auto& [sound, link] : links) {
            link->ForgetFailedStream();
            if (!link->waiting)
                link->Start(connection.Context());
        }
    }

    // A stream or sink that failed is tried again a while later.
    void RetryLater(Link& link) {
        link.waiting = true;
        connection.ScheduleRetry(kStreamRetryMs);
    }

    Link* Find(std::uint64_t id) {
        for (auto& [sound, link] : links)
            if (link->Id() == id)
                return link.get();
        return nullptr;
    }

    // Ends a link on the server, with the sink loaded for it.
    void Drop(Link& link) {
        link.ForgetStream();
        if (link.Module() != PA_INVALID_INDEX && ready)
            sinks.Unload(connection.Context(), link.Module());
    }

    std::unique_ptr<Link> MakeLink(const Wish& wish) {
        auto retry = [this](Link& link) { RetryLater(link); };
        switch (wish.kind) {
        case Kind::Capture:
            return std::make_unique<CaptureStream>(wish, nextId++, retry);
        case Kind::Sink:
            return std::make_unique<SinkStream>(wish, nextId++, retry, sinks);
        case Kind::Output:
            break;
        }
        return std::make_unique<OutputStream>(wish, nextId++, retry);
    }

    void Apply(std::map<LiveSound*, Wish> wishes) {
        for (auto it = links.begin(); it != links.end();) {
            if (wishes.count(it->first)) {
                ++it;
                continue;
            }
            Drop(*it->second);
            it = links.erase(it);
        }
        for (auto& [sound, wish] : wishes) {
            auto& link = links[sound];
            if (!link) {
                link = MakeLink(wish);
                if (connection.Down())
                    sound->SetCondition(kNoServer);
                continue;
            }
            link->Update(wish);
        }
        Advance();
    }
};

RealAudio::RealAudio(CardModel& model) : model_(model), impl_(std::make_unique<Impl>()) {
    model_.SetServerDefaults([this] { return Defaults(); });
    // A starting daemon unloads the sinks a daemon that is gone left behind, once, whether or not
    // it wants the server itself; an absent server is looked for again only when wanted.
    ServerConnection::Locked lock(impl_->connection);
    impl_->connection.Connect();
}

RealAudio::~RealAudio() {
    model_.SetServerDefaults({});
}

CardModel::ServerDefaults RealAudio::Defaults() const {
    return impl_->connection.Defaults();
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
    ServerConnection::Locked lock(impl_->connection);
    impl_->Apply(std::move(wishes));
}

} // namespace simcard::audio
