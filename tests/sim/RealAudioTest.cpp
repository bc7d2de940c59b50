// The simulated card on a real sound server of the test's own: a recording device that follows
// a capture source, a playback device that is a sink, an output heard on a sink, and the server
// going away and coming back. Levels are read as the manager reads them (varnelctl meter), or,
// for what an output plays, recorded from the sink's monitor.
#include "support/ChildProcess.h"
#include "support/DaemonProcess.h"
#include "support/Deadline.h"
#include "support/SoundServer.h"
#include "support/Varnelctl.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <numbers>
#include <optional>
#include <poll.h>
#include <sndfile.h>
#include <sys/socket.h>
#include <sys/un.h>
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

// `frames` stereo frames of what `sink` plays at 48 kHz, from the first that is not silence;
// fewer when nothing sounds there within a few seconds.
std::vector<float> RecordSounding(const std::string& sink, std::size_t frames) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return {};
    const std::string device = "--device=" + sink + ".monitor";
    const pid_t recorder = fork();
    if (recorder == 0) {
        dup2(out[1], 1);
        execlp("pacat", "pacat", "--record", "--raw", "--format=float32le", "--rate=48000",
               "--channels=2", device.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    std::vector<float> got;
    std::size_t start = std::string::npos;
    float chunk[4096];
    const auto until = std::chrono::steady_clock::now() + 5s;
    pollfd readable{out[0], POLLIN, 0};
    while (std::chrono::steady_clock::now() < until &&
           (start == std::string::npos || got.size() < start + 2 * frames)) {
        if (poll(&readable, 1, 100) <= 0)
            continue;
        const ssize_t n = read(out[0], chunk, sizeof chunk);
        if (n <= 0)
            break;
        got.insert(got.end(), chunk, chunk + n / static_cast<ssize_t>(sizeof(float)));
        for (std::size_t i = 0; start == std::string::npos && i < got.size(); i += 2)
            if (std::abs(got[i]) > 0.01f)
                start = i;
    }
    kill(recorder, SIGTERM);
    testsupport::ExitStatus(recorder);
    close(out[0]);
    if (start == std::string::npos)
        return {};
    got.erase(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(start));
    got.resize(std::min(got.size(), 2 * frames));
    return got;
}

// The level in dBFS (RMS) of one channel of interleaved stereo.
double RmsDb(const std::vector<float>& stereo, int channel) {
    double sum = 0;
    for (std::size_t i = channel; i < stereo.size(); i += 2)
        sum += double(stereo[i]) * stereo[i];
    return 10 * std::log10(sum / double(stereo.size() / 2));
}

// How often the left channel goes from below zero to above, per second at 48 kHz.
double PitchHz(const std::vector<float>& stereo) {
    int rises = 0;
    for (std::size_t i = 2; i < stereo.size(); i += 2)
        rises += stereo[i - 2] < 0 && stereo[i] >= 0;
    return rises * 48000.0 / double(stereo.size() / 2);
}

TEST_F(RealAudioTest, AnOutputPlaysASoundFileAsItsOwnSamplesAtItsOwnRate) {
    // One second of a 1 kHz sine at 44.1 kHz: -12 dBFS on the left, -20 dBFS on the right.
    const std::string path = daemon->Directory() + "/tone.wav";
    std::vector<float> written;
    for (int i = 0; i < 44100; ++i) {
        const double wave = std::sin(2 * std::numbers::pi * 1000.0 * i / 44100.0);
        written.push_back(static_cast<float>(std::pow(10.0, -12 / 20.0) * wave));
        written.push_back(static_cast<float>(std::pow(10.0, -20 / 20.0) * wave));
    }
    SF_INFO info{0, 44100, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_writef_float(file, written.data(), 44100);
    sf_close(file);

    ASSERT_EQ(Ctl({"signal", "0", "analog-out", "file", path}).status, 0);
    ASSERT_EQ(Ctl({"output", "0", "analog-out", "sink", "tone"}).status, 0);
    // Half a second: the file loops in it for one start in two.
    const std::vector<float> heard = RecordSounding("tone", 24000);
    ASSERT_EQ(heard.size(), 2u * 24000);
    EXPECT_NEAR(RmsDb(heard, 0), RmsDb(written, 0), 0.5);
    EXPECT_NEAR(RmsDb(heard, 1), RmsDb(written, 1), 0.5);
    EXPECT_NEAR(PitchHz(heard), 1000, 20);
}

// The sound server's process: the peer of a connection to its socket.
pid_t ServerPid() {
    const std::string path = std::string(getenv("PULSE_SERVER")).substr(std::strlen("unix:"));
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    path.copy(addr.sun_path, sizeof addr.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ucred peer{};
    socklen_t size = sizeof peer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        peer.pid = -1;
    close(fd);
    return peer.pid;
}

TEST_F(RealAudioTest, ASinkTheServerIsStillLoadingWhenTheDaemonEndsIsUnloadedOnceLoaded) {
    ASSERT_EQ(Ctl({"signal", "0", "analog-in", "capture", "tone.monitor"}).status, 0);
    ASSERT_TRUE(PollUntil(5s, [&] {
        return Fact(Ctl({"status"}).out, "card.0.signal.analog-in") == "capture tone.monitor";
    }));
    // A server that is slow to answer: the load is under way when the daemon is told to end.
    const pid_t server = ServerPid();
    ASSERT_GT(server, 0);
    kill(server, SIGSTOP);
    ASSERT_EQ(Ctl({"signal", "0", "digital-out", "playback-sink"}).status, 0);
    std::thread resume([server] {
        std::this_thread::sleep_for(300ms);
        kill(server, SIGCONT);
    });
    EXPECT_EQ(daemon->Stop(), 0);
    resume.join();
    EXPECT_EQ(Sinks().find("varnel_pro.0."), std::string::npos) << Sinks();
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
