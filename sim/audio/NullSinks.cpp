#include "sim/audio/NullSinks.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace simcard::audio {

namespace {

constexpr const char* kSinkPrefix = "sink_name=varnel_pro.";
constexpr const char* kDaemonProperty = "varnel_pro.daemon=";

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

NullSinks::NullSinks(Loaded loaded) : loaded_(std::move(loaded)) {}

NullSinks::~NullSinks() {
    Abandon();
}

void NullSinks::Load(pa_context* context, std::uint64_t id, const std::string& name,
                     const std::string& description) {
    const std::string argument = "sink_name=" + name + " sink_properties='device.description=\"" +
                                 description + "\" " + kDaemonProperty + std::to_string(getpid()) +
                                 "'";
    Request& request = loads_.emplace_back(Request{this, id});
    request.operation = pa_context_load_module(context, "module-null-sink", argument.c_str(),
                                               &NullSinks::OnLoaded, &request);
    if (!request.operation) {
        loads_.pop_back();
        loaded_(context, id, PA_INVALID_INDEX);
    }
}

void NullSinks::OnLoaded(pa_context* context, std::uint32_t module, void* data) {
    auto* request = static_cast<Request*>(data);
    NullSinks& self = *request->owner;
    const std::uint64_t id = request->id;
    pa_operation_unref(request->operation);
    self.loads_.remove_if([&](const Request& r) { return &r == request; });
    // The device may have left its sink while the server was loading it.
    if (!self.loaded_(context, id, module) && module != PA_INVALID_INDEX)
        self.Unload(context, module);
}

void NullSinks::Unload(pa_context* context, std::uint32_t module) {
    if (pa_operation* unload = pa_context_unload_module(context, module, nullptr, nullptr))
        Track(unload);
}

void NullSinks::Track(pa_operation* unload) {
    std::erase_if(unloads_, [](pa_operation* op) {
        if (pa_operation_get_state(op) == PA_OPERATION_RUNNING)
            return false;
        pa_operation_unref(op);
        return true;
    });
    unloads_.push_back(unload);
}

bool NullSinks::Busy() const {
    return !loads_.empty() || std::any_of(unloads_.begin(), unloads_.end(), [](pa_operation* op) {
        return pa_operation_get_state(op) == PA_OPERATION_RUNNING;
    });
}

void NullSinks::Abandon() {
    // A cancelled request's answer never reaches its callback, so its record can go.
    for (Request& request : loads_) {
        pa_operation_cancel(request.operation);
        pa_operation_unref(request.operation);
    }
    loads_.clear();
    for (pa_operation* op : unloads_)
        pa_operation_unref(op);
    unloads_.clear();
}

void NullSinks::Sweep(pa_context* context, std::function<void()> done) {
    swept_ = std::move(done);
    pa_operation_unref(pa_context_get_module_info_list(context, &NullSinks::OnModule, this));
}

void NullSinks::OnModule(pa_context* context, const pa_module_info* info, int eol, void* self) {
    auto* sinks = static_cast<NullSinks*>(self);
    if (eol) {
        sinks->swept_();
        return;
    }
    if (info && LeftBehind(info->argument))
        sinks->Unload(context, info->index);
}

} // namespace simcard::audio
