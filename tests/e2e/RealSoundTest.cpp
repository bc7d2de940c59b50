// The manager as a live level meter of real sound: a sound server of the test's own, the card
// daemon following it, and the manager's windows showing what is played there.

#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/ManagerProcess.h"
#include "support/ManagerWorld.h"
#include "support/SoundServer.h"
#include "support/UiScript.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using std::chrono::seconds;
using testsupport::CardDaemon;
using testsupport::ManagerProcess;
using testsupport::MetersOf;
using testsupport::MeterState;
using testsupport::PollUntil;
using testsupport::SoundServer;

class RealSoundTest : public testsupport::ManagerWorld {
protected:
    RealSoundTest() : ManagerWorld("sound") {}

    void SetUp() override {
        ManagerWorld::SetUp();
        if (!server.Missing().empty())
            GTEST_SKIP() << server.Missing();
    }

    // The left meter of `window` once the window has polled again.
    MeterState Left(const CardDaemon& daemon, const std::string& window) {
        Ui(daemon, {"idle"});
        const std::vector<MeterState> meters = MetersOf(Ui(daemon, {"dump", window}));
        return meters.empty() ? MeterState{} : meters.front();
    }
    int LitLeft(const CardDaemon& daemon, const std::string& window) {
        return Left(daemon, window).lit;
    }
    // Waits until the left meter of `window` is dark, its peak hold included.
    bool FallsDark(const CardDaemon& daemon, const std::string& window) {
        return PollUntil(seconds(5), [&] {
            const MeterState left = Left(daemon, window);
            return left.lit == 0 && left.peak == 0;
        });
    }
    // Waits until the left meter of `window` holds a steady level: the same lamps lit, give or
    // take one, over five polls in a row (a rising or falling meter passes any level once).
    // That level, or -1 when it never settles.
    int Steady(const CardDaemon& daemon, const std::string& window) {
        int last = -1, run = 0;
        PollUntil(
            seconds(5),
            [&] {
                const int lit = LitLeft(daemon, window);
                run = (lit >= 0 && last >= 0 && std::abs(lit - last) <= 1) ? run + 1 : 0;
                last = lit;
                return run >= 4;
            },
            std::chrono::milliseconds(100));
        return run >= 4 ? last : -1;
    }

    SoundServer server;
};

// A tone played on the machine reaches the analog input's meters at the lamps a generated sine
// of the same level lights, and they fall dark when it stops.
TEST_F(RealSoundTest, TheAnalogInputMetersWhatTheMachinePlays) {
    ASSERT_TRUE(server.LoadNullSink("speakers"));
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine("notifyicon\tadd\t"));
    ASSERT_TRUE(OpenFromHub(daemon, "chkAnalogInputs"));

    ASSERT_TRUE(daemon.Ctl({"signal", "0", "analog-in", "sine", "-12"}));
    const int sine = Steady(daemon, "Analog Input");
    ASSERT_GT(sine, 1);

    ASSERT_TRUE(daemon.Ctl({"signal", "0", "analog-in", "capture", "speakers.monitor"}));
    ASSERT_TRUE(FallsDark(daemon, "Analog Input"));
    const pid_t tone = server.PlayTone("speakers", -12, 20);
    ASSERT_TRUE(PollUntil(seconds(5), [&] { return LitLeft(daemon, "Analog Input") > 1; }));
    EXPECT_NEAR(Steady(daemon, "Analog Input"), sine, 1);
    SoundServer::StopTone(tone);
    EXPECT_TRUE(FallsDark(daemon, "Analog Input"));
}

// What an application plays to the card's playback sink lights the analog output's meters.
TEST_F(RealSoundTest, TheAnalogOutputMetersWhatAnApplicationPlaysToTheCard) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ASSERT_TRUE(daemon.Ctl({"signal", "0", "analog-out", "playback-sink"}));
    ASSERT_TRUE(PollUntil(seconds(5), [&] {
        return server.Pactl({"list", "short", "sinks"}).find("varnel_pro.0.analog-out") !=
               std::string::npos;
    }));
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine("notifyicon\tadd\t"));
    ASSERT_TRUE(OpenFromHub(daemon, "chkAnalogOutputs"));
    ASSERT_TRUE(FallsDark(daemon, "Analog Output"));

    const pid_t tone = server.PlayTone("varnel_pro.0.analog-out", -12, 20);
    ASSERT_TRUE(PollUntil(seconds(5), [&] { return LitLeft(daemon, "Analog Output") > 0; }));
    EXPECT_GT(Steady(daemon, "Analog Output"), 1);
    SoundServer::StopTone(tone);
}

} // namespace
