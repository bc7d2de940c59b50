// The goals of every benchmark in one table, from the figures the benchmarks left in a directory;
// exits 1 when a goal is missed or a figure is missing for another reason than missing tools.
//
// Usage: bench_goals RESULTS_DIR

#include "GoalTable.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_goals RESULTS_DIR\n");
        return 2;
    }
    bench::Figures figures;
    figures.ReadDirectory(argv[1]);
    auto get = [&](const std::string& key) { return figures.Get(key); };
    const std::string config = "driver_config_bench/";
    const std::vector<bench::GoalRow> rows = {
        {"metering: peer / ours CPU per visible meter",
         bench::Ratio(get("desktop/peer_per_meter"), get("desktop/ours_per_meter")), "x", 25, true,
         1},
        {"every window closed: manager + X server", get("desktop/ours_hidden"), "%", 0.05, false,
         3},
        {"start to icon (median)", get("desktop/start_to_icon_ms"), "ms", 60, false, 1},
        {"RSS with the four windows of four cards", get("desktop/four_windows_mib"), "MiB", 36,
         false, 1},
        {"configuration round trip / process spawn",
         bench::Ratio(get(config + "BM_GetconfigThroughRundll/iterations:200/repeats:5_median"),
                      get(config + "BM_StartAndReapTrue/iterations:200/repeats:5_median")),
         "x", 2, false, 2},
        {"completion noticed (median)",
         get(config + "BM_CompletionNoticed/1/iterations:500/repeats:5/manual_time_median"), "us",
         50, false, 1},
    };
    std::printf("\n%s", bench::Render(rows).c_str());
    return bench::ExitCode(rows);
}
