#include "sim/audio/ServerConnection.h"

#include <algorithm>

namespace simcard::audio {

namespace {

// Reconnection: the first retry, doubling up to the last.
constexpr std::uint64_t kFirstRetryMs = 250;
constexpr std::uint64_t kLastRetryMs = 2000;

bool Dead(pa_context* context) {
    const pa_context_state_t state = pa_context_get_state(context);
    return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED ||
           state == PA_CONTEXT_UNCONNECTED;
}

} // namespace

ServerConnection::ServerConnection(Listener& listener)
    : listener_(listener), retryMs_(kFirstRetryMs) {
    loop_ = pa_threaded_mainloop_new();
    api_ = pa_threaded_mainloop_get_api(loop_);
    pa_threaded_mainloop_start(loop_);
}

ServerConnection::~ServerConnection() {
    Close();
    pa_threaded_mainloop_free(loop_);
}

void ServerConnection::Close() {
    if (closed_)
        return;
    closed_ = true;
    {
        Locked lock(*this);
        if (retry_)
            api_->time_free(retry_);
        retry_ = nullptr;
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_set_subscribe_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
    }
    pa_threaded_mainloop_stop(loop_);
}

void ServerConnection::Connect() {
    context_ = pa_context_new(api_, "Varnel PRO card daemon");
    pa_context_set_state_callback(context_, &ServerConnection::OnState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        Fail();
}

bool ServerConnection::Ensure() {
    if (context_ && Dead(context_))
        Release();
    if (context_)
        return true;
    if (!retry_)
        Connect();
    return false;
}

// The context is let go here, never inside its own callback.
void ServerConnection::Release() {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_unref(context_);
    context_ = nullptr;
}

void ServerConnection::OnState(pa_context* context, void* self) {
    auto* connection = static_cast<ServerConnection*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        connection->Ready();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        connection->Fail();
        break;
    default:
        break;
    }
}

void ServerConnection::Ready() {
    down_ = false;
    retryMs_ = kFirstRetryMs;
    pa_context_set_subscribe_callback(context_, &ServerConnection::OnServerEvent, this);
    pa_operation_unref(pa_context_subscribe(context_, PA_SUBSCRIPTION_MASK_SERVER, nullptr, this));
    QueryDefaults();
    listener_.Connected(context_);
}

void ServerConnection::Fail() {
    listener_.Lost();
    {
        std::lock_guard lock(defaultsMutex_);
        defaults_ = {};
    }
    down_ = true;
    ScheduleRetry(retryMs_);
    retryMs_ = std::min(retryMs_ * 2, kLastRetryMs);
}

void ServerConnection::ScheduleRetry(std::uint64_t ms) {
    if (retry_)
        return;
    timeval when{};
    pa_timeval_add(pa_gettimeofday(&when), ms * PA_USEC_PER_MSEC);
    retry_ = api_->time_new(api_, &when, &ServerConnection::OnRetry, this);
}

void ServerConnection::OnRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*,
                               void* self) {
    auto* connection = static_cast<ServerConnection*>(self);
    api->time_free(event);
    connection->retry_ = nullptr;
    connection->listener_.Retry();
}

void ServerConnection::LeaveWhenDrained(std::function<bool()> stillIdle) {
    stillIdle_ = std::move(stillIdle);
    if (pa_operation* drain = pa_context_drain(context_, &ServerConnection::OnDrained, this))
        pa_operation_unref(drain);
    else
        OnDrained(context_, this);
}

void ServerConnection::OnDrained(pa_context* context, void* self) {
    auto* connection = static_cast<ServerConnection*>(self);
    if (!connection->stillIdle_())
        return;
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
}

void ServerConnection::OnServerEvent(pa_context*, pa_subscription_event_type_t, std::uint32_t,
                                     void* self) {
    static_cast<ServerConnection*>(self)->QueryDefaults();
}

void ServerConnection::QueryDefaults() {
    pa_operation_unref(pa_context_get_server_info(context_, &ServerConnection::OnServerInfo, this));
}

void ServerConnection::OnServerInfo(pa_context*, const pa_server_info* info, void* self) {
    auto* connection = static_cast<ServerConnection*>(self);
    if (!info)
        return;
    std::lock_guard lock(connection->defaultsMutex_);
    connection->defaults_.sink = info->default_sink_name ? info->default_sink_name : "";
    connection->defaults_.source = info->default_source_name ? info->default_source_name : "";
}

CardModel::ServerDefaults ServerConnection::Defaults() const {
    std::lock_guard lock(defaultsMutex_);
    return defaults_;
}

} // namespace simcard::audio
