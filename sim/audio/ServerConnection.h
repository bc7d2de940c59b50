#pragma once
// The connection to the sound server, run on the client library's own thread: connecting, noticing
// the server go away, trying again with back-off, and the server's default sink and source. Every
// callback runs on that thread with its lock held; other threads take the lock (Locked) before
// touching anything that lives there.

#include "sim/model/CardModel.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <pulse/pulseaudio.h>

namespace simcard::audio {

class ServerConnection {
public:
    class Listener {
    public:
        // Connected, with the server's defaults asked for.
        virtual void Connected(pa_context* context) = 0;
        // The connection failed or is gone; a retry is scheduled.
        virtual void Lost() = 0;
        // A retry is due.
        virtual void Retry() = 0;

    protected:
        ~Listener() = default;
    };

    class Locked {
    public:
        explicit Locked(ServerConnection& c) : loop_(c.loop_) { pa_threaded_mainloop_lock(loop_); }
        ~Locked() { pa_threaded_mainloop_unlock(loop_); }
        Locked(const Locked&) = delete;
        Locked& operator=(const Locked&) = delete;

    private:
        pa_threaded_mainloop* loop_;
    };

    explicit ServerConnection(Listener& listener);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // The context while one is there (connecting or connected).
    pa_context* Context() const { return context_; }
    // Whether the last connection failed or was lost.
    bool Down() const { return down_; }
    // Lets a context that failed or ended go and connects anew, unless a retry is already due;
    // whether a context was there before.
    bool Ensure();
    void Connect();
    // Asks the listener for a retry after `ms`, unless one is due already.
    void ScheduleRetry(std::uint64_t ms);
    // Leaves the server once what was sent has been taken, if `stillIdle` says so then.
    void LeaveWhenDrained(std::function<bool()> stillIdle);
    CardModel::ServerDefaults Defaults() const;
    // Leaves the server and ends the thread: no callback runs after it. Called by the end, or
    // first by an owner whose listener ends before this does.
    void Close();

private:
    static void OnState(pa_context* context, void* self);
    static void OnRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self);
    static void OnServerEvent(pa_context*, pa_subscription_event_type_t, std::uint32_t, void* self);
    static void OnServerInfo(pa_context*, const pa_server_info* info, void* self);
    static void OnDrained(pa_context* context, void* self);
    void Ready();
    void Fail();
    void QueryDefaults();
    void Release();

    Listener& listener_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_mainloop_api* api_ = nullptr;
    pa_context* context_ = nullptr;
    bool down_ = false;
    bool closed_ = false;
    pa_time_event* retry_ = nullptr;
    std::uint64_t retryMs_;
    std::function<bool()> stillIdle_;
    mutable std::mutex defaultsMutex_;
    CardModel::ServerDefaults defaults_;
};

} // namespace simcard::audio
