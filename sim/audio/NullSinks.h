#pragma once
// The null sinks loaded on the server for playback devices that are sinks of it: their load and
// unload, and the sweep of the sinks that daemons no longer running left behind. Each sink's module
// argument names the daemon that loaded it, so that a later one can tell a sink left behind from
// the sink of a daemon that still runs. Requests under way are owned here until their answer comes
// or the connection ends, so that none is lost when the daemon ends before the server answers.

#include <cstdint>
#include <functional>
#include <list>
#include <pulse/pulseaudio.h>
#include <string>
#include <vector>

namespace simcard::audio {

class NullSinks {
public:
    // Told that the sink asked for under `id` is loaded as `module` (PA_INVALID_INDEX: it could
    // not be); answers false when nothing wants it any more, and it is unloaded again.
    using Loaded = std::function<bool(pa_context*, std::uint64_t id, std::uint32_t module)>;

    explicit NullSinks(Loaded loaded);
    ~NullSinks();
    NullSinks(const NullSinks&) = delete;
    NullSinks& operator=(const NullSinks&) = delete;

    // A sink named `name`, shown as `description`.
    void Load(pa_context* context, std::uint64_t id, const std::string& name,
              const std::string& description);
    void Unload(pa_context* context, std::uint32_t module);
    // Unloads the sinks left behind; `done` once the server has listed every module.
    void Sweep(pa_context* context, std::function<void()> done);
    // Whether a load or unload is still under way at the server.
    bool Busy() const;
    // Lets go of every request under way: the connection is gone or about to be.
    void Abandon();

private:
    struct Request {
        NullSinks* owner;
        std::uint64_t id;
        pa_operation* operation = nullptr;
    };
    static void OnLoaded(pa_context* context, std::uint32_t module, void* request);
    static void OnModule(pa_context* context, const pa_module_info* info, int eol, void* self);
    void Track(pa_operation* unload);

    Loaded loaded_;
    std::list<Request> loads_;
    std::vector<pa_operation*> unloads_;
    std::function<void()> swept_;
};

} // namespace simcard::audio
