// What a large settings file costs a user: opening a channel window from the hub and closing it
// again (which reads the file, then saves the window's state into it) in the real manager, driven
// through `varnelctl ui`, with no settings file and with a ten-megabyte one. Each round starts
// from the file without the window's keys, so every close writes them.
#include "support/CardDaemonSupport.h"
#include "support/ManagerProcess.h"
#include "support/UiScript.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

std::string LargeFile(std::size_t size) {
    std::string text;
    for (int n = 0; text.size() < size; ++n)
        text += "[Foreign " + std::to_string(n) + "]\nkey=a value another program keeps here\n";
    return text + "[ADAT Inputs]\nLeft=120\nTop=80\n";
}

void BM_OpenAndCloseChannelWindow(benchmark::State& state) {
    std::string dir = (fs::temp_directory_path() / "varnel-inibench-XXXXXX").string();
    if (!::mkdtemp(dir.data())) {
        state.SkipWithError("no temporary directory");
        return;
    }
    const std::string ini = dir + "/varnel-pro/Zq40Promix.ini";
    fs::create_directory(dir + "/varnel-pro");
    const std::string content = state.range(0) ? LargeFile(state.range(0)) : std::string();
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    setenv("VARNEL_AUTOMATION", (dir + "/ui.sock").c_str(), 1);
    setenv("VARNEL_NO_AUTOSPAWN", "1", 1);
    setenv("VARNEL_HEADLESS", "1", 1);
    {
        testsupport::CardDaemon daemon(1);
        testsupport::ManagerProcess manager;
        if (!daemon.Started() || !manager.WaitForLine("notifyicon\tadd\t")) {
            state.SkipWithError("no manager");
            return;
        }
        auto ui = [&](const std::vector<std::string>& words) {
            return testsupport::Ui(daemon.Socket(), words);
        };
        ui({"tray", "dblclick"});
        for (auto _ : state) {
            state.PauseTiming();
            fs::remove(ini);
            if (!content.empty())
                std::ofstream(ini, std::ios::binary) << content;
            state.ResumeTiming();
            if (ui({"set", "Varnel PRO", "chkAdatInputs", "1"}) != "ok\n" ||
                ui({"close", "ADAT Inputs"}) != "ok\n" || !fs::exists(ini)) {
                state.SkipWithError("the window did not open and close");
                break;
            }
        }
        state.counters["file MB"] = static_cast<double>(fs::file_size(ini)) / (1 << 20);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_OpenAndCloseChannelWindow)
    ->Arg(0)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

} // namespace
