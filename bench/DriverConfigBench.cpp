// What one configuration command costs: a getconfig through the configuration channel (start
// rundll, which asks the card daemon, fills the block and signals) beside the bare start and
// reaping of a trivial process; and how soon the caller notices the completion word.
#include "driver/ConfigChannel.h"
#include "platform/Shell.h"
#include "support/DaemonProcess.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

void BM_GetconfigThroughRundll(benchmark::State& state) {
    testsupport::DaemonProcess daemon({"--cards", "1"});
    if (!daemon.Started()) {
        state.SkipWithError("no card daemon");
        return;
    }
    setenv("VARNEL_CARD_SOCKET", daemon.Socket().c_str(), 1);
    setenv("VARNEL_NO_AUTOSPAWN", "1", 1);
    ConfigChannelEnabled = 1;
    std::uint8_t config[800] = {};
    for (auto _ : state) {
        if (!RunDriverConfig(1, CFG_GETCONFIG, config, sizeof config)) {
            state.SkipWithError("getconfig failed");
            return;
        }
        benchmark::DoNotOptimize(config);
    }
}
BENCHMARK(BM_GetconfigThroughRundll)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_StartAndReapTrue(benchmark::State& state) {
    char program[] = "/bin/true";
    char* argv[] = {program, nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start /bin/true");
            return;
        }
        waitpid(pid, nullptr, 0);
    }
}
BENCHMARK(BM_StartAndReapTrue)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// From the write of the completion word to the waiter seeing it, with the wake-up on the word
// (range 1) or with the 1 ms re-read alone (range 0).
void BM_CompletionNoticed(benchmark::State& state) {
    const bool wake = state.range(0) != 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        volatile std::int32_t word = 0;
        std::atomic<Clock::time_point::rep> written{0};
        std::thread writer([&] {
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            written = Clock::now().time_since_epoch().count();
            word = 1;
            if (wake)
                WakeSharedWord(&word);
        });
        while (word == 0)
            WaitSharedWord(&word, 0, 1);
        const auto seen = Clock::now().time_since_epoch().count();
        writer.join();
        state.SetIterationTime(static_cast<double>(seen - written.load()) / 1e9);
    }
}
BENCHMARK(BM_CompletionNoticed)
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(500)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
