// The meters' share of a channel window's metering: one poll (a new peak for every meter) and one
// decay tick, for 32 meters as the windows design them (40 lamps each), shown on a form whose
// backend hears every repaint, under a moving signal. Reported in nanoseconds per meter.

#include "controls/TLevelMeter.h"
#include "platform/VirtualClock.h"
#include "toolkit/BackendObserver.h"
#include "toolkit/TApplication.h"
#include "toolkit/TForm.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kMeters = 32;

struct CountingBackend : IBackendObserver {
    std::uint64_t repaints = 0;
    void ControlCreated(TControl*) override {}
    void ControlDestroyed(TControl*) override {}
    void PropertyChanged(TControl*, TControlProperty) override {}
    void Invalidate(TControl*) override { ++repaints; }
};

// Peaks as a driver reports them for music: a slow swell with fast random peaks, spread evenly
// on the decibel scale from silence to full scale.
std::vector<int> MovingSignal(std::size_t length) {
    std::vector<int> peaks(length);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < length; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double swell = 0.5 + 0.5 * std::sin(static_cast<double>(i) * 0.05);
        const double jitter = static_cast<double>(seed >> 8) / (1u << 24);
        const double db = -60.0 * (1.0 - 0.7 * swell - 0.3 * jitter);
        peaks[i] = static_cast<int>(32767.0 * std::pow(10.0, db / 20.0));
    }
    return peaks;
}

class MeteringRig {
public:
    MeteringRig() : previous_(Application), signal_(MovingSignal(4096)) {
        SetBackendObserver(&backend_);
        Application = &app_;
        app_.Initialize();
        form_ = new TForm(&app_);
        form_->SetBounds(0, 0, 800, 300);
        for (int k = 0; k < kMeters; ++k) {
            auto* meter = new TLevelMeter(form_);
            meter->SetParent(form_);
            meter->SetBounds(8 + k * 24, 8, 18, 163);
            meter->SetLumiHeight(5);
            meter->SetNumLumisRed(1);
            meter->SetNumLumisOrange(12);
            meter->SetTimerInterval(40);
            meter->SetLevelMaxHold(3000);
            meters_.push_back(meter);
        }
        form_->Show();
    }
    ~MeteringRig() {
        app_.DestroyComponents();
        Application = previous_;
        SetBackendObserver(nullptr);
    }
    MeteringRig(const MeteringRig&) = delete;
    MeteringRig& operator=(const MeteringRig&) = delete;

    void Poll() {
        ++step_;
        for (std::size_t k = 0; k < meters_.size(); ++k)
            meters_[k]->SetLevel(signal_[(step_ + k * 97) % signal_.size()]);
    }
    // The window's decay handler: the same message to every meter in turn.
    void Tick() {
        TMessage message{WM_USER + 1, 1, 0, 0};
        for (TLevelMeter* meter : meters_)
            meter->DecayTick(message);
    }
    // 40 ms ticks between 100 ms polls: two and three in turn.
    void TicksBetweenPolls() {
        for (int i = 0; i < (step_ % 2 == 0 ? 2 : 3); ++i)
            Tick();
    }
    std::uint64_t Repaints() const { return backend_.repaints; }

private:
    ScopedVirtualClock clock_;
    CountingBackend backend_;
    TApplication* previous_;
    TApplication app_;
    TForm* form_ = nullptr;
    std::vector<TLevelMeter*> meters_;
    std::vector<int> signal_;
    std::size_t step_ = 0;
};

template <class Measured, class Between>
void RunPerMeter(benchmark::State& state, MeteringRig& rig, Measured measured, Between between) {
    using Clock = std::chrono::steady_clock;
    double totalNs = 0;
    std::uint64_t repaints = 0;
    for (auto _ : state) {
        between();
        const std::uint64_t repaintsBefore = rig.Repaints();
        const auto start = Clock::now();
        measured();
        const auto end = Clock::now();
        repaints += rig.Repaints() - repaintsBefore;
        const double ns = std::chrono::duration<double, std::nano>(end - start).count();
        totalNs += ns;
        state.SetIterationTime(ns / 1e9);
    }
    const auto meterSteps = static_cast<double>(state.iterations()) * kMeters;
    state.counters["ns_per_meter"] = totalNs / meterSteps;
    state.counters["repaints_per_meter"] = static_cast<double>(repaints) / meterSteps;
}

void BM_MeterPoll32(benchmark::State& state) {
    MeteringRig rig;
    RunPerMeter(
        state, rig, [&] { rig.Poll(); }, [&] { rig.TicksBetweenPolls(); });
}
BENCHMARK(BM_MeterPoll32)->UseManualTime();

void BM_MeterDecayTick32(benchmark::State& state) {
    MeteringRig rig;
    int ticks = 0;
    RunPerMeter(
        state, rig, [&] { rig.Tick(); },
        [&] {
            // A poll after every two or three ticks keeps the columns moving.
            if (++ticks % 5 == 0 || ticks % 5 == 2)
                rig.Poll();
        });
}
BENCHMARK(BM_MeterDecayTick32)->UseManualTime();

} // namespace
