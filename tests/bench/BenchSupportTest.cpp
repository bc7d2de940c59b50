// The goals table reads what the benchmarks leave and judges it; the desktop benchmark's process
// helper reads /proc and runs programs with a changed environment.

#include "BenchProcess.h"
#include "GoalTable.h"
#include "MeterScript.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using bench::Figure;
using bench::Figures;
using bench::GoalRow;
using bench::Verdict;

// As Google Benchmark writes it, with aggregates only.
const char* kJson = R"({"context": {"date": "x"}, "benchmarks": [
  {"name": "BM_Trip_median", "run_type": "aggregate", "aggregate_name": "median",
   "real_time": 2.5, "cpu_time": 0.1, "time_unit": "ms"},
  {"name": "BM_Noticed/1/manual_time_median", "real_time": 12000, "time_unit": "ns"},
  {"name": "BM_Broken", "error_occurred": true, "error_message": "no card daemon"}]})";

TEST(GoalTableTest, ReadsBenchmarkJsonAndFigureLinesInMicrosecondsAndWithTheirReasons) {
    Figures figures;
    figures.ReadBenchmarkJson("config", kJson);
    figures.ReadLines("desktop", "ours_hidden 0.033\npeer_per_meter skipped pavucontrol is not "
                                 "installed\nstart_to_icon_ms failed no icon within 10 s\n"
                                 "four_windows_mib 3x\n");

    EXPECT_DOUBLE_EQ(*figures.Get("config/BM_Trip_median").value, 2500);
    EXPECT_DOUBLE_EQ(*figures.Get("config/BM_Noticed/1/manual_time_median").value, 12);
    EXPECT_FALSE(figures.Get("config/BM_Broken").value);
    EXPECT_EQ(figures.Get("config/BM_Broken").note, "no card daemon");
    EXPECT_DOUBLE_EQ(*figures.Get("desktop/ours_hidden").value, 0.033);

    const Figure skipped = figures.Get("desktop/peer_per_meter");
    EXPECT_TRUE(skipped.skipped);
    EXPECT_EQ(skipped.note, "pavucontrol is not installed");
    const Figure failed = figures.Get("desktop/start_to_icon_ms");
    EXPECT_FALSE(failed.skipped);
    EXPECT_EQ(failed.note, "no icon within 10 s");
    EXPECT_FALSE(figures.Get("desktop/four_windows_mib").value);
    EXPECT_FALSE(figures.Get("desktop/absent").value);
    EXPECT_FALSE(figures.Get("desktop/absent").skipped);
}

TEST(GoalTableTest, JudgesLimitsBothWaysAndFailsOnlyOnMissedOrUnmeasuredGoals) {
    const Figure ratio = bench::Ratio(Figure{20.0, false, ""}, Figure{0.8, false, ""});
    ASSERT_TRUE(ratio.value);
    EXPECT_DOUBLE_EQ(*ratio.value, 25);
    // A cost too small to measure is infinitely cheaper, not a failure.
    EXPECT_TRUE(std::isinf(*bench::Ratio(Figure{1.0, false, ""}, Figure{0.0, false, ""}).value));
    EXPECT_EQ(bench::Ratio(Figure{1.0, false, ""}, Figure{std::nullopt, true, "no X"}).note,
              "no X");

    GoalRow atLeast{"ratio", ratio, "x", 25, true, 1};
    GoalRow atMost{"time", Figure{60.5, false, ""}, "ms", 60, false, 1};
    GoalRow skipped{"peer", Figure{std::nullopt, true, "no pavucontrol"}, "x", 25, true, 1};
    GoalRow unmeasured{"rss", Figure{std::nullopt, false, "the manager ended"}, "MiB", 36};
    EXPECT_EQ(atLeast.Judge(), Verdict::Met);
    EXPECT_EQ(atMost.Judge(), Verdict::Missed);
    EXPECT_EQ(skipped.Judge(), Verdict::Skipped);
    EXPECT_EQ(unmeasured.Judge(), Verdict::NotMeasured);

    EXPECT_EQ(bench::ExitCode({atLeast, skipped}), 0);
    EXPECT_EQ(bench::ExitCode({atLeast, atMost}), 1);
    EXPECT_EQ(bench::ExitCode({atLeast, unmeasured}), 1);
    const std::string table = bench::Render({atLeast, atMost, skipped, unmeasured});
    EXPECT_NE(table.find("25.0 x"), std::string::npos) << table;
    EXPECT_NE(table.find("MISSED"), std::string::npos) << table;
    EXPECT_NE(table.find("skipped (no pavucontrol)"), std::string::npos) << table;
    EXPECT_NE(table.find("NOT MEASURED (the manager ended)"), std::string::npos) << table;
}

TEST(GoalTableTest, JudgesAFigureAgainstItsFloorAndShowsBothWithTheirQuotient) {
    const Figure floor{2.0, false, ""};
    GoalRow nearFloor{"start", Figure{2.2, false, ""},    "ms", 1.15, false, 1,
                      floor,   bench::LimitOn::FloorRatio};
    GoalRow farFromFloor = nearFloor;
    farFromFloor.figure.value = 2.4;
    GoalRow noFloor = nearFloor;
    noFloor.floor = Figure{std::nullopt, false, "the floor showed no window"};
    // A limit on the figure itself shows the floor beside it but does not judge by it.
    GoalRow onFigure{"rss", Figure{30.0, false, ""}, "MiB", 31, false, 1, Figure{25.0, false, ""}};

    ASSERT_TRUE(nearFloor.FloorRatio());
    EXPECT_DOUBLE_EQ(*nearFloor.FloorRatio(), 1.1);
    EXPECT_EQ(nearFloor.Judge(), Verdict::Met);
    EXPECT_EQ(farFromFloor.Judge(), Verdict::Missed);
    EXPECT_EQ(noFloor.Judge(), Verdict::NotMeasured);
    EXPECT_EQ(onFigure.Judge(), Verdict::Met);
    EXPECT_EQ(bench::ExitCode({nearFloor, noFloor}), 1);
    const std::string table = bench::Render({nearFloor, noFloor, onFigure});
    EXPECT_NE(table.find("2.2 ms       2.0 ms     1.10  / floor <= 1.15  met"), std::string::npos)
        << table;
    EXPECT_NE(table.find("NOT MEASURED (the floor showed no window)"), std::string::npos) << table;
    EXPECT_NE(table.find("30.0 MiB     25.0 MiB     1.20      <= 31.0 MiB  met"), std::string::npos)
        << table;
}

TEST(MeterScriptTest, ReadsBackWhatItWritesAndRefusesChangesOutsideItsHeader) {
    bench::MeterScript script;
    script.meters = 2;
    script.lamps = 40;
    script.Add(bench::MeterEvent::Decay, {});
    script.Add(bench::MeterEvent::Poll, {{0, 0, true}, {1, 39, true}});
    script.Add(bench::MeterEvent::Decay, {{1, 39, false}});
    EXPECT_EQ(script.Text(), "meters 2 lamps 40\nD\nP 0 0 1 1 39 1\nD 1 39 0\n");

    std::string error;
    const auto read = bench::MeterScript::Parse(script.Text(), &error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->Text(), script.Text());
    ASSERT_EQ(read->decays.size(), 2u);
    EXPECT_FALSE(read->decays[1][0].on);

    EXPECT_FALSE(bench::MeterScript::Parse("meters 2 lamps 40\nP 2 0 1\n", &error));
    EXPECT_EQ(error, "line 2: a change outside the header");
    EXPECT_FALSE(bench::MeterScript::Parse("meters 2 lamps 40\nP 0 0\n", &error));
    EXPECT_EQ(error, "line 2: unreadable change");
    EXPECT_FALSE(bench::MeterScript::Parse("P 0 0 1\n", &error));
}

TEST(BenchProcessTest, ReadsCpuTicksPastANameWithBlanksAndParentheses) {
    // Fields after the name: state ppid pgrp session tty tpgid flags minflt cminflt majflt
    // cmajflt utime stime.
    EXPECT_EQ(bench::CpuTicksOfStat("42 (a) b (c)) S 1 42 42 0 -1 0 5 0 0 0 17 4 0 0"), 21);
    EXPECT_EQ(bench::CpuTicksOfStat("42 (short) S 1 42"), -1);
    EXPECT_EQ(bench::CpuTicksOfStat("garbage"), -1);
    EXPECT_GE(bench::CpuTicks(::getpid()), 0);
    EXPECT_GT(bench::ResidentKiB(::getpid()), 0);
}

TEST(BenchProcessTest, RunsWithTheEnvironmentChangedAndKillsAtTheDeadline) {
    ::setenv("BENCH_GONE", "still here", 1);
    const auto result =
        bench::Run({"sh", "-c", "echo \"$BENCH_SET ${BENCH_GONE-removed}\" >&2; exit 3"},
                   {"BENCH_SET=set", "BENCH_GONE"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.output, "set removed\n");
    EXPECT_EQ(bench::Run({"sleep", "10"}, {}, std::chrono::milliseconds(100)).status, -1);

    bench::Child child({"sleep", "10"}, {}, "/dev/null");
    ASSERT_TRUE(child.Started());
    EXPECT_TRUE(child.Running());
    child.Stop();
    EXPECT_FALSE(child.Running());
}

} // namespace
