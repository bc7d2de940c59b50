// The simulated card on a real sound server of the test's own: a recording device that follows
// a capture source, a playback device that is a sink, an output heard on a sink, and the server
// going away and coming back. Levels are read as the manager reads them (varnelctl meter).
#include "support/DaemonProcess.h"
#include "support/Deadline.h"
#include "support/SoundServer.h"
#include "support/Varnelctl.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <unistd.h>

namespace simcard {
namespace {

using namespace std::chrono_literals;
using testsupport::CtlResult;
using testsupport::DaemonProcess;
using testsupport::Fact;
using testsupport::PollUntil;
using testsupport::SoundServer;

// Below this (about -60 dBFS) a meter shows nothing.
constexpr int kDark = 33;

class RealAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.Missing().empty())
            GTEST_SKIP() << server.Missing();
        ASSERT_TRUE(server.LoadNullSink("tone"));
        daemon.emplace();
        ASSERT_TRUE(daemon->Started());
    }

    CtlResult Ctl(const std::vector<std::string>& args) {
        return testsupport::RunVarnelctl(daemon->Socket(), args);
    }
    // The left peak of a 100 ms meter read on the 0..32767 scale, -1 when refused.
    int Meter(const std::string& card, const std::string& device) {
        CtlResult r = Ctl({"meter", card, device});
        return r.status == 0 ? std::stoi(Fact(r.out, "peak")) : -1;
    }
    // What a generated sine at `dBFS` shows on the same kind of device.
    int SineLevel(const std::string& card, const std::string& device, double dBFS) {
        EXPECT_EQ(Ctl({"signal", card, device, "sine", std::to_string(dBFS)}).status, 0);
        return Meter(card, device);
    }
    std::string Sinks() { return server.Pactl({"list", "short", "sinks"}); }

    SoundServer server;
    std::optional<DaemonProcess> daemon;
};

// The same sound at the same level lights the same lamps: within a tenth of the reading, less
// than one lamp of a meter column around -12 dBFS.
MATCHER_P(SameLevelAs, expected, "") {
    return std::abs(arg - expected) <= expected / 10;
}

TEST_F(RealAudioTest, ACaptureMetersWhatIsPlayedToASinkAsTheSameSineWouldThroughTheGain) {
    const int sine = SineLevel("1", "analog-in", -12);
    ASSERT_EQ(Ctl({"signal", "0", "analog-in", "capture", "tone.monitor"}).status, 0);
    const pid_t tone = server.PlayTone("tone", -12, 10);
    EXPECT_TRUE(PollUntil(5s, [&] { return Meter("0", "analog-in") > kDark; }));
    EXPECT_THAT(Meter("0", "analog-in"), SameLevelAs(sine));
    EXPECT_EQ(Fact(Ctl({"status"}).out, "card.0.signal.analog-in"), "capture tone.monitor");
    // The fader's bottom (-40 dB) takes the captured sound down as it does a generated one.
    ASSERT_EQ(Ctl({"gain", "0", "0x6C00", "0x6C00"}).status, 0);
    EXPECT_LT(Meter("0", "analog-in"), sine / 50);
    ASSERT_EQ(Ctl({"gain", "0", "0xBB00", "0xBB00"}).status, 0);
    SoundServer::StopTone(tone);
    EXPECT_TRUE(PollUntil(3s, [&] { return Meter("0", "analog-in") <= kDark; }));
}

TEST_F(RealAudioTest, APlaybackDeviceIsASinkOfTheServerWhileItIsOne) {
    const int sine = SineLevel("1", "digital-out", -12);
    // A starting daemon unloads the sinks a daemon that is gone left behind, and only those.
    ASSERT_TRUE(server.LoadNullSink("varnel_pro.1.analog-out"));
    ASSERT_TRUE(server
                    .Pactl({"load-module", "module-null-sink", "sink_name=varnel_pro.3.analog-out",
                            "sink_properties=varnel_pro.daemon=" + std::to_string(getpid())})
                    .size());
    daemon.emplace();
    EXPECT_TRUE(PollUntil(
        5s, [&] { return Sinks().find("varnel_pro.1.analog-out") == std::string::npos; }));
    EXPECT_NE(Sinks().find("varnel_pro.3.analog-out"), std::string::npos) << "its daemon runs";
    ASSERT_EQ(Ctl({"signal", "1", "analog-out", "playback-sink"}).status, 0);
    EXPECT_TRUE(PollUntil(5s, [&] {
        return server.Pactl({"list", "sinks"}).find("Description: Varnel PRO Analog Playback II") !=
               std::string::npos;
    }));
    const pid_t tone = server.PlayTone("varnel_pro.1.analog-out", -12, 10);
    EXPECT_TRUE(PollUntil(5s, [&] { return Meter("1", "analog-out") > kDark; }));
    EXPECT_THAT(Meter("1", "analog-out"), SameLevelAs(sine));
    SoundServer::StopTone(tone);
    // Leaving it unloads the sink; so does the daemon's end.
    ASSERT_EQ(Ctl({"signal", "1", "analog-out", "silence"}).status, 0);
    EXPECT_TRUE(PollUntil(3s, [&] { return Sinks().find("varnel_pro.1.") == std::string::npos; }));
    ASSERT_EQ(Ctl({"signal", "0", "adat-out-2", "playback-sink"}).status, 0);
    EXPECT_TRUE(PollUntil(
        3s, [&] { return Sinks().find("varnel_pro.0.adat-out-2") != std::string::npos; }));
    EXPECT_EQ(daemon->Stop(), 0);
    EXPECT_EQ(Sinks().find("varnel_pro.0."), std::string::npos);
    // Recording devices capture, playback devices are sinks: not the other way round.
    daemon.emplace();
    EXPECT_EQ(Ctl({"signal", "0", "analog-in", "playback-sink"}).status, 2);
    EXPECT_EQ(Ctl({"signal", "0", "analog-out", "capture"}).status, 2);
}

TEST_F(RealAudioTest, AnOutputIsHeardOnASinkThatNoneOfTheCardsOwnCapturesRecords) {
    const int sine = SineLevel("1", "analog-in", -12);
    ASSERT_EQ(Ctl({"signal", "1", "analog-in", "capture", "tone.monitor"}).status, 0);
    ASSERT_EQ(Ctl({"signal", "0", "analog-out", "sine", "-12"}).status, 0);
    ASSERT_EQ(Ctl({"output", "0", "analog-out", "sink", "tone"}).status, 0);
    EXPECT_TRUE(PollUntil(5s, [&] { return Meter("1", "analog-in") > kDark; }));
    EXPECT_THAT(Meter("1", "analog-in"), SameLevelAs(sine));
    EXPECT_EQ(Fact(Ctl({"status"}).out, "card.0.output.analog-out"), "sink tone");
    // Card 1 would hear its own output again.
    CtlResult loop = Ctl({"output", "1", "digital-out", "sink", "tone"});
    EXPECT_EQ(loop.status, 1);
    EXPECT_NE(loop.err.find("would hear itself"), std::string::npos) << loop.err;
    EXPECT_EQ(Fact(Ctl({"status"}).out, "card.1.output.digital-out"), "(missing)");
    ASSERT_EQ(Ctl({"signal", "0", "adat-out-1", "playback-sink"}).status, 0);
    EXPECT_EQ(Ctl({"output", "0", "digital-out", "sink", "varnel_pro.0.adat-out-1"}).status, 1);
    ASSERT_EQ(Ctl({"output", "0", "analog-out", "off"}).status, 0);
    EXPECT_TRUE(PollUntil(3s, [&] { return Meter("1", "analog-in") <= kDark; }));
}

TEST_F(RealAudioTest, WithoutTheServerADeviceIsSilentAndSaysWhyUntilTheServerIsBack) {
    ASSERT_EQ(Ctl({"signal", "0", "analog-in", "capture", "tone.monitor"}).status, 0);
    pid_t tone = server.PlayTone("tone", -12, 10);
    ASSERT_TRUE(PollUntil(5s, [&] { return Meter("0", "analog-in") > kDark; }));
    server.Kill();
    SoundServer::StopTone(tone);
    EXPECT_TRUE(PollUntil(3s, [&] {
        return Fact(Ctl({"status"}).out, "card.0.signal.analog-in") ==
               "capture tone.monitor (no sound server)";
    }));
    EXPECT_EQ(Meter("0", "analog-in"), 0);
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(server.LoadNullSink("tone"));
    tone = server.PlayTone("tone", -12, 10);
    EXPECT_TRUE(PollUntil(8s, [&] { return Meter("0", "analog-in") > kDark; }));
    EXPECT_EQ(Fact(Ctl({"status"}).out, "card.0.signal.analog-in"), "capture tone.monitor");
    SoundServer::StopTone(tone);
}

TEST_F(RealAudioTest, ADaemonThatKeepsTheCardsStateFollowsTheServerAgainAfterItsEnd) {
    char pattern[] = "/tmp/varnel-state-test-XXXXXX";
    const std::string home = mkdtemp(pattern);
    setenv("XDG_STATE_HOME", home.c_str(), 1);
    daemon.emplace(std::vector<std::string>{"--cards", "1", "--exit-idle", "60"});
    ASSERT_EQ(Ctl({"signal", "0", "digital-in", "capture", "tone.monitor"}).status, 0);
    ASSERT_EQ(Ctl({"signal", "0", "digital-out", "playback-sink"}).status, 0);
    ASSERT_TRUE(PollUntil(
        5s, [&] { return Sinks().find("varnel_pro.0.digital-out") != std::string::npos; }));
    ASSERT_TRUE(daemon->Restart());
    EXPECT_TRUE(PollUntil(5s, [&] {
        return Fact(Ctl({"status"}).out, "card.0.signal.digital-in") == "capture tone.monitor";
    }));
    EXPECT_TRUE(PollUntil(
        5s, [&] { return Sinks().find("varnel_pro.0.digital-out") != std::string::npos; }));
    daemon.reset();
    std::filesystem::remove_all(home);
    unsetenv("XDG_STATE_HOME");
}

} // namespace
} // namespace simcard
