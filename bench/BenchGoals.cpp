// The goals of every benchmark in one table, from the figures the benchmarks left in a directory,
// each figure beside its floor (what a minimal program does for the same job on the same machine)
// where one is measured; exits 1 when a goal is missed or a figure is missing for another reason
// than missing tools.
//
// Usage: bench_goals RESULTS_DIR

#include "GoalTable.h"

#include <cstdio>

namespace {

// What the manager with four windows of four cards may hold beyond a minimal program's window.
constexpr double kMemoryAboveFloorMiB = 6;
const char* const kGetconfig = "BM_GetconfigThroughRundll/iterations:200/repeats:5_median";
const char* const kStartTrue = "BM_StartAndReapTrue/iterations:200/repeats:5_median";

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_goals RESULTS_DIR\n");
        return 2;
    }
    bench::Figures figures;
    figures.ReadDirectory(argv[1]);
    auto get = [&](const std::string& key) { return figures.Get(key); };
    const std::string config = "driver_config_bench/";
    const bench::Figure memoryFloor = get("desktop/floor_window_mib");
    bench::Figure memory = get("desktop/four_windows_mib");
    // Its limit stands on the floor: without the floor the figure cannot be judged.
    if (!memoryFloor.value)
        memory = memoryFloor;
    const std::vector<bench::GoalRow> rows = {
        {"metering: peer / ours CPU per visible meter", get("desktop/peer_per_meter_ratio"), "x",
         30, true, 1, get("desktop/peer_per_floor_ratio")},
        {"metering: CPU per visible meter", get("desktop/ours_per_meter"), "%", 1.5, false, 4,
         get("desktop/floor_per_meter"), bench::LimitOn::FloorRatio},
        {"every window closed: manager + X server", get("desktop/ours_hidden"), "%", 0.05, false,
         3},
        {"start to icon (median)", get("desktop/start_to_icon_ms"), "ms", 1.15, false, 1,
         get("desktop/floor_start_ms"), bench::LimitOn::FloorRatio},
        {"RSS with the four windows of four cards", memory, "MiB",
         memoryFloor.value ? *memoryFloor.value + kMemoryAboveFloorMiB : 0, false, 1, memoryFloor},
        {"configuration round trip", get(config + kGetconfig), "us", 1.5, false, 0,
         get(config + kStartTrue), bench::LimitOn::FloorRatio},
        {"completion noticed (median)",
         get(config + "BM_CompletionNoticed/1/iterations:500/repeats:5/manual_time_median"), "us",
         50, false, 1},
    };
    std::printf("\n%s", bench::Render(rows).c_str());
    return bench::ExitCode(rows);
}
