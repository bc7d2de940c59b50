// The manager while its card daemon comes and goes, headless, driven through `varnelctl ui`: the
// meters of an open window fall dark while no daemon answers and light again when one does, and
// the cards' configuration outlives a daemon that ended when idle.

#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/ManagerProcess.h"
#include "support/ManagerWorld.h"
#include "support/UiScript.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <unistd.h>

namespace {

using testsupport::CardDaemon;
using testsupport::LineWith;
using testsupport::ManagerProcess;
using testsupport::MetersOf;
using testsupport::PollUntil;
using namespace std::chrono_literals;

constexpr int kCards = 2;
constexpr std::size_t kMeters = kCards * 8;
const char* const kAdat = "ADAT Inputs";
const char* const kSettings = "Zq40Pro Einstellungen Karte #1";

// CPU seconds the process has used so far, all its threads together.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14)
            ticks += std::stol(field);
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

class DaemonRestartTest : public testsupport::ManagerWorld {
protected:
    DaemonRestartTest() : ManagerWorld("restart") {}

    // Polls the window's meters until `done` holds for all of them.
    bool MetersUntil(const CardDaemon& daemon, std::chrono::milliseconds deadline,
                     const std::function<bool(const testsupport::MeterState&)>& done,
                     std::string& dump) {
        return PollUntil(deadline, [&] {
            dump = Ui(daemon, {"dump", kAdat});
            const auto meters = MetersOf(dump);
            return meters.size() == kMeters && std::all_of(meters.begin(), meters.end(), done);
        });
    }
    // Every meter lit at least once (a swell's trough may leave one dark in a single poll).
    bool AllLitOnce(const CardDaemon& daemon, std::chrono::milliseconds deadline,
                    std::string& dump) {
        std::set<std::size_t> lit;
        return PollUntil(deadline, [&] {
            dump = Ui(daemon, {"dump", kAdat});
            const auto meters = MetersOf(dump);
            for (std::size_t i = 0; i < meters.size(); ++i)
                if (meters[i].lit > 0)
                    lit.insert(i);
            return meters.size() == kMeters && lit.size() == kMeters;
        });
    }
};

TEST_F(DaemonRestartTest, MetersFallDarkWithoutTheDaemonAndLightAgainWhenOneAnswers) {
    CardDaemon daemon(kCards);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine("notifyicon\tadd\t"));
    ASSERT_TRUE(OpenFromHub(daemon, "chkAdatInputs"));
    std::string dump;
    ASSERT_TRUE(AllLitOnce(daemon, 2s, dump)) << dump;

    daemon.Kill();
    EXPECT_TRUE(MetersUntil(
        daemon, 1s, [](const testsupport::MeterState& m) { return m.level == 0; }, dump))
        << "a signal is shown that is not there:\n"
        << dump;
    EXPECT_TRUE(MetersUntil(
        daemon, 5s, [](const testsupport::MeterState& m) { return m.lit == 0 && m.peak == 0; },
        dump))
        << dump;

    // Without a daemon the program waits quietly: a measurement window, not a wait for a timer.
    const double cpuBefore = CpuSeconds(manager.Pid());
    const auto measured = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(5s);
    const double busy =
        (CpuSeconds(manager.Pid()) - cpuBefore) /
        std::chrono::duration<double>(std::chrono::steady_clock::now() - measured).count();
    EXPECT_LT(busy, 0.10) << "share of a core while no daemon answers";

    const std::string windows = Ui(daemon, {"windows"});
    EXPECT_NE(LineWith(windows, "\"ADAT Inputs\"").find(" visible=1 "), std::string::npos)
        << windows;

    ASSERT_TRUE(daemon.Restart());
    EXPECT_TRUE(AllLitOnce(daemon, 5s, dump)) << "metering did not resume:\n" << dump;
    EXPECT_TRUE(manager.LinesStartingWith("msgbox").empty());
}

TEST_F(DaemonRestartTest, WithNoWindowOpenTheProgramStillHearsOfARemovalAfterARestart) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine("notifyicon\tadd\t"));
    const std::string clients = daemon.Status()["clients"]; // the manager and varnelctl
    daemon.Kill();
    ASSERT_TRUE(daemon.Restart());
    EXPECT_TRUE(PollUntil(5s, [&] { return daemon.Status()["clients"] == clients; }))
        << "the manager did not come back";
    ASSERT_TRUE(daemon.Ctl({"unplug", "0"}));
    EXPECT_EQ(manager.Wait(), 0) << "the removal did not reach the program";
}

TEST_F(DaemonRestartTest, AnAppliedRecordOutlivesADaemonThatEndedWhenIdle) {
    CardDaemon daemon(1, {"--exit-idle", "1"});
    ASSERT_TRUE(daemon.Started());
    ASSERT_TRUE(daemon.Ctl({"gain", "0", "0x8000", "0x9100"}));
    auto settings = [&](ManagerProcess& manager) {
        EXPECT_TRUE(manager.WaitForLine("notifyicon\tadd\t"));
        EXPECT_EQ(Ui(daemon, {"tray", "dblclick"}), "ok\n");
        EXPECT_EQ(Ui(daemon, {"set", "Varnel PRO", "chkSettings", "1"}), "ok\n");
        return LineWith(Ui(daemon, {"dump", kSettings}), " chkMaster ");
    };
    {
        ManagerProcess manager;
        const std::string master = settings(manager);
        ASSERT_TRUE(testsupport::Carries(master, "checked=0")) << "the default record: " << master;
        ASSERT_EQ(Ui(daemon, {"click", kSettings, "chkMaster"}), "ok\n");
        ASSERT_EQ(Ui(daemon, {"click", kSettings, "btnApply"}), "ok\n");
        EXPECT_EQ(daemon.Status()["card.0.config.CardIsMaster"], "-1");
        kill(manager.Pid(), SIGTERM);
        ASSERT_TRUE(manager.Wait().has_value());
    }
    // No client is left: the daemon ends by itself and a new start brings one up on demand.
    ASSERT_TRUE(daemon.Process().WaitForExit(5s).has_value()) << "the daemon did not idle out";
    ::unsetenv("VARNEL_NO_AUTOSPAWN");
    {
        ManagerProcess manager;
        const std::string master = settings(manager);
        EXPECT_TRUE(testsupport::Carries(master, "checked=1")) << "the record was lost: " << master;
        // The README's way to end it: the card goes, after the program has noted its removal.
        ASSERT_TRUE(daemon.Ctl({"unplug", "0"}));
        EXPECT_EQ(manager.Wait(), 0);
    }
    ::setenv("VARNEL_NO_AUTOSPAWN", "1", 1);
    const auto started = testsupport::DaemonsServing(daemon.Socket());
    EXPECT_EQ(started.size(), 1u);
    for (int pid : started)
        kill(pid, SIGTERM);
    EXPECT_TRUE(PollUntil(5s, [&] { return testsupport::DaemonsServing(daemon.Socket()).empty(); }))
        << "the daemon started on demand did not end";

    // The next daemon knows the card is out, and plugs it back with its record and gains; the
    // removal's notice was for the removal that happened, not for the next one.
    ASSERT_TRUE(daemon.Restart());
    EXPECT_EQ(daemon.Status()["cards"], "0");
    ASSERT_TRUE(daemon.Ctl({"plug", "0"}));
    auto status = daemon.Status();
    EXPECT_EQ(status["card.0.config.CardIsMaster"], "-1");
    EXPECT_EQ(status["card.0.gain"], "32768,37120");
    EXPECT_EQ(status["card.0.config.RemoveNotice"], "0");
}

} // namespace
