// The wave services and the device-change broadcast against a real card daemon.
#include "platform/CardConnection.h"
#include "platform/CardDaemonStart.h"
#include "platform/DeviceChange.h"
#include "platform/MessageQueue.h"
#include "platform/VirtualClock.h"
#include "platform/WaveDevices.h"
#include "platform/WindowTable.h"
#include "platform/Wow16.h"
#include "support/CardDaemonSupport.h"
#include "support/ControlFormat.h"
#include "support/Varnelctl.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

const testsupport::ControlFormat kControl;

// A pinned shared block, freed at the end of the scope.
struct Block {
    explicit Block(DWORD size)
        : address(WOWGlobalAllocLock16(GMEM_ZEROINIT, size, nullptr)),
          flat(static_cast<std::uint8_t*>(WOWGetVDMPointerFix(address, size, TRUE))) {}
    ~Block() {
        WOWGetVDMPointerUnfix(address);
        WOWGlobalUnlockFree16(address);
    }
    std::uint32_t Word(std::size_t at = 0) const {
        std::uint32_t v;
        std::memcpy(&v, flat + at, 4);
        return v;
    }
    std::string Bytes() const {
        char text[32];
        std::snprintf(text, sizeof text, "%u,%u,%u,%u", flat[0], flat[1], flat[2], flat[3]);
        return text;
    }
    DWORD address;
    std::uint8_t* flat;
};

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

HWAVEIN OpenIn(UINT device) {
    HWAVEIN h = nullptr;
    EXPECT_EQ(waveInOpen(&h, device, &kControl.format, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    return h;
}

HWAVEOUT OpenOut(UINT device) {
    HWAVEOUT h = nullptr;
    EXPECT_EQ(waveOutOpen(&h, device, &kControl.format, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    return h;
}

TEST(WaveServicesTest, EnumeratesTheDevicesOfOneTwoAndFourCards) {
    const std::string list =
        ::testing::TempDir() + "varnel-extra-devices-" + std::to_string(getpid());
    std::ofstream(list) << "in 190 99 Fremdgerät III\nout 5 7 Analog Playback II\n";
    for (int cards : {1, 2, 4}) {
        testsupport::CardDaemon daemon(cards, {"--devices", list});
        ASSERT_TRUE(daemon.Started());
        auto facts = daemon.Status();
        const UINT ins = waveInGetNumDevs(), outs = waveOutGetNumDevs();
        EXPECT_EQ(ins, 6u * cards + 2) << cards << " cards, the onboard device and one extra";
        EXPECT_EQ(outs, 6u * cards + 2);
        int ours = 0;
        for (UINT id = 0; id < ins; ++id) {
            WAVEINCAPSA caps{};
            ASSERT_EQ(waveInGetDevCapsA(id, &caps, sizeof caps), MMSYSERR_NOERROR);
            char expect[128];
            std::snprintf(expect, sizeof expect, "mid=%u pid=%u name=\"%s\"", caps.wMid, caps.wPid,
                          caps.szPname);
            EXPECT_EQ(facts["device.in." + std::to_string(id)], expect);
            ours += caps.wMid == 190 && caps.wPid >= 8 && caps.wPid <= 12;
        }
        EXPECT_EQ(ours, 6 * cards) << "the extra device of our maker has another product id";
        for (UINT id = 0; id < outs; ++id) {
            WAVEOUTCAPSA caps{};
            ASSERT_EQ(waveOutGetDevCapsA(id, &caps, sizeof caps), MMSYSERR_NOERROR);
            char expect[128];
            std::snprintf(expect, sizeof expect, "mid=%u pid=%u name=\"%s\"", caps.wMid, caps.wPid,
                          caps.szPname);
            EXPECT_EQ(facts["device.out." + std::to_string(id)], expect);
        }
    }
    std::filesystem::remove(list);
}

TEST(WaveServicesTest, EveryBlockMessageIsAnsweredThroughTheBlock) {
    testsupport::CardDaemon daemon(2);
    ASSERT_TRUE(daemon.Started());
    ASSERT_EQ(waveInGetNumDevs(), 13u);
    // Card 1: analog and digital devices are 7 and 8 in both lists.
    HWAVEIN analogIn = OpenIn(7), digitalIn = OpenIn(8);
    HWAVEOUT analogOut = OpenOut(7), digitalOut = OpenOut(8);
    Block peak(8), word(4);

    EXPECT_EQ(waveOutMessage(analogOut, 0x4011, word.address, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(Hex(word.Word()), daemon.Status()["card.1.devnode"]) << "OUTMSG_GET_CARD_INFO";

    EXPECT_EQ(waveInMessage(analogIn, 0x4033, 0x20001000, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInMessage(analogIn, 0x4032, word.address, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(word.Word(), 0x20001000u) << "INMSG_GET_GAIN after INMSG_SET_GAIN";
    EXPECT_EQ(daemon.Status()["card.1.gain"], "4096,8192");

    EXPECT_EQ(waveInMessage(digitalIn, 0x4035, 0x00000201, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInMessage(digitalIn, 0x4034, word.address, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(word.Bytes(), daemon.Status()["card.1.monitor.digital"]) << "INMSG_GET_MONITOR";
    EXPECT_EQ(word.flat[0], 1) << "optical selected";

    ASSERT_TRUE(daemon.Ctl({"rate", "1", "optical", "96000"}));
    EXPECT_EQ(waveInMessage(digitalIn, 0x403F, word.address, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(word.Word(), 96000u) << "INMSG_GET_RATE";

    EXPECT_EQ(waveOutMessage(analogOut, 0x400B, 0x00010000, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutMessage(analogOut, 0x400A, word.address, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(word.Bytes(), daemon.Status()["card.1.route.analog"]) << "OUTMSG_GET_ROUTE";

    EXPECT_EQ(waveOutMessage(digitalOut, 0x400E, 0x15, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutMessage(digitalOut, 0x400D, word.address, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(word.Word(), 0x15u) << "OUTMSG_GET_FORMAT";

    ASSERT_TRUE(daemon.Ctl({"signal", "1", "analog-in", "noise", "-6"}));
    ASSERT_TRUE(daemon.Ctl({"signal", "1", "analog-out", "noise", "-6"}));
    EXPECT_EQ(waveInMessage(analogIn, 0x4038, 0, 0), MMSYSERR_NOERROR) << "INMSG_METER_ON";
    EXPECT_EQ(waveOutMessage(analogOut, 0x4007, 0, 0), MMSYSERR_NOERROR) << "OUTMSG_METER_ON";
    EXPECT_EQ(waveInMessage(analogIn, 0x403A, peak.address, 0), MMSYSERR_NOERROR);
    EXPECT_GT(peak.Word(0), 0u) << "INMSG_METER_READ left peak";
    EXPECT_EQ(waveOutMessage(analogOut, 0x4009, peak.address, 0), MMSYSERR_NOERROR);
    EXPECT_GT(peak.Word(4), 0u) << "OUTMSG_METER_READ right peak";
    EXPECT_EQ(waveInMessage(analogIn, 0x4039, 0, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutMessage(analogOut, 0x4008, 0, 0), MMSYSERR_NOERROR);

    EXPECT_EQ(daemon.Status()["handles.open"], "4");
    EXPECT_EQ(waveInClose(analogIn), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(digitalIn), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(analogOut), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(digitalOut), MMSYSERR_NOERROR);
    EXPECT_EQ(daemon.Status()["handles.open"], "0");
}

TEST(WaveServicesTest, ADaemonThatDiesFailsEveryCallAtOnceAndANewOneGetsTheHandlesBack) {
    ScopedVirtualClock clock;
    auto daemon = std::make_unique<testsupport::CardDaemon>(2);
    ASSERT_TRUE(daemon->Started());
    HWAVEIN metered = OpenIn(1), quiet = OpenIn(2), secondCard = OpenIn(7);
    HWAVEOUT out = OpenOut(1);
    Block word(4), peak(8);
    ASSERT_EQ(waveInMessage(metered, 0x4038, 0, 0), MMSYSERR_NOERROR) << "INMSG_METER_ON";
    ASSERT_EQ(waveInMessage(quiet, 0x4038, 0, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInMessage(quiet, 0x4039, 0, 0), MMSYSERR_NOERROR) << "and off again";
    ASSERT_EQ(waveInMessage(secondCard, 0x4038, 0, 0), MMSYSERR_NOERROR);
    daemon->Kill();

    const auto start = Clock::now();
    EXPECT_EQ(waveInMessage(metered, 0x403A, peak.address, 0), MMSYSERR_NODRIVER);
    EXPECT_EQ(waveOutMessage(out, 0x4011, word.address, 0), MMSYSERR_NODRIVER);
    EXPECT_EQ(waveInGetNumDevs(), 0u);
    WAVEOUTCAPSA caps{};
    EXPECT_EQ(waveOutGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_NODRIVER);
    HWAVEIN none = nullptr;
    EXPECT_EQ(waveInOpen(&none, 1, &kControl.format, 0, 0, 0), MMSYSERR_NODRIVER);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NODRIVER);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_INVALHANDLE) << "forgotten after its close";
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500)) << "no call waits";

    // While none answers, the attempts to reach one back off to one a second: a daemon that
    // comes after a while is found at the next attempt, not at the next call.
    const std::uint64_t lost = clock->NowMs();
    while (clock->NowMs() - lost < 3000) {
        clock->Advance(10);
        EXPECT_EQ(waveInMessage(metered, 0x403A, peak.address, 0), MMSYSERR_NODRIVER);
    }
    // A daemon of one card comes back (on the socket this process looks at).
    testsupport::DaemonProcess again({"--cards", "1"});
    ASSERT_TRUE(again.Started());
    setenv("VARNEL_CARD_SOCKET", again.Socket().c_str(), 1);
    const std::uint64_t back = clock->NowMs();
    while (waveInMessage(metered, 0x403A, peak.address, 0) != MMSYSERR_NOERROR &&
           clock->NowMs() - back <= 2 * CardConnection::kMaxRetryPauseMs)
        clock->Advance(10);
    const std::uint64_t waited = clock->NowMs() - back;
    EXPECT_GT(waited, CardConnection::kFirstRetryPauseMs) << "attempts back off";
    EXPECT_LE(waited, CardConnection::kMaxRetryPauseMs) << "but to one a second at most";

    // The handles the program holds were opened again, and only the metered one meters; the one
    // on the card that is gone stays failed.
    auto facts = testsupport::StatusFacts(again.Socket());
    EXPECT_EQ(facts["handles.open"], "2");
    int meters = 0;
    for (const auto& [key, value] : facts)
        meters += key.starts_with("handle.") && value.ends_with(" meter=on");
    EXPECT_EQ(meters, 1);
    EXPECT_EQ(waveInMessage(quiet, 0x403A, peak.address, 0), MMSYSERR_ERROR) << "meter is off";
    EXPECT_EQ(waveInMessage(quiet, 0x4034, word.address, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInMessage(secondCard, 0x4032, word.address, 0), MMSYSERR_NODRIVER);
    EXPECT_EQ(waveInClose(secondCard), MMSYSERR_NODRIVER);
    EXPECT_EQ(waveInClose(metered), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(quiet), MMSYSERR_NOERROR);
    InstallCardService(nullptr);
}

struct TopLevelWindow : IMessageTarget {
    HWND hwnd = WindowTable::Instance().Register(this, true);
    ~TopLevelWindow() { WindowTable::Instance().Unregister(hwnd); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DEVICECHANGE) {
            event = wParam;
            std::memcpy(&record, reinterpret_cast<const void*>(lParam), sizeof record);
            onGuiThread = MessageQueue::Instance().OnGuiThread();
            ++calls;
        }
        return 1;
    }
    WPARAM event = 0;
    DEV_BROADCAST_DEVNODE record{};
    bool onGuiThread = false;
    int calls = 0;
};

TEST(WaveServicesTest, AnUnplugArrivesAsDeviceChangeOnTheGuiThreadAndIsAnswered) {
    MessageQueue::Instance().BindToCurrentThread();
    testsupport::CardDaemon daemon(3);
    ASSERT_TRUE(daemon.Started());
    ASSERT_EQ(waveOutGetNumDevs(), 19u); // connects and subscribes
    TopLevelWindow window;
    const std::string devnode = daemon.Status()["card.2.devnode"];
    const auto start = Clock::now();
    ASSERT_TRUE(daemon.Ctl({"unplug", "2", "--no-wait"}));
    // Waiting for the daemon's event to arrive, bounded.
    while (window.calls == 0 && Clock::now() - start < std::chrono::seconds(3)) {
        if (!MessageQueue::Instance().Step())
            std::this_thread::yield();
    }
    ASSERT_EQ(window.calls, 1);
    EXPECT_TRUE(window.onGuiThread);
    EXPECT_EQ(window.event, DBT_DEVICEQUERYREMOVE);
    EXPECT_EQ(window.record.dbcd_size, sizeof(DEV_BROADCAST_DEVNODE));
    EXPECT_EQ(window.record.dbcd_devicetype, DBT_DEVTYP_DEVNODE);
    EXPECT_EQ(Hex(window.record.dbcd_devnode), devnode);
    // The answer lets the card go well before the daemon would stop waiting.
    while (daemon.Status()["cards"] != "2" && Clock::now() - start < std::chrono::seconds(2))
        std::this_thread::yield();
    EXPECT_EQ(daemon.Status()["cards"], "2");
}

TEST(WaveServicesTest, TheFirstCallStartsADaemonWhenNoneAnswers) {
    const std::string dir = ::testing::TempDir() + "varnel-autospawn-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    const std::string socket = dir + "/card.sock";
    setenv("VARNEL_CARD_SOCKET", socket.c_str(), 1);
    unsetenv(kNoAutospawnEnvironment);
    InstallCardService(nullptr);
    EXPECT_EQ(waveOutGetNumDevs(), 7u) << "a daemon with one card";
    EXPECT_TRUE(CardConnection::Instance().DaemonConnected());
    const auto pids = testsupport::DaemonsServing(socket);
    ASSERT_EQ(pids.size(), 1u);
    std::ifstream cmdline("/proc/" + std::to_string(pids[0]) + "/cmdline");
    std::string args((std::istreambuf_iterator<char>(cmdline)), {});
    EXPECT_NE(args.find(std::string("--exit-idle\0", 12) + kCardDaemonExitIdleSeconds),
              std::string::npos)
        << "it ends once no client is left";
    // Once that daemon is gone, the platform looks for one again but never starts another.
    kill(pids[0], SIGKILL);
    const auto killed = Clock::now();
    while (CardConnection::Instance().DaemonConnected() &&
           Clock::now() - killed < std::chrono::seconds(3))
        std::this_thread::yield();
    {
        ScopedVirtualClock clock;
        for (int attempt = 0; attempt < 5; ++attempt) {
            clock->Advance(CardConnection::kMaxRetryPauseMs);
            EXPECT_EQ(waveOutGetNumDevs(), 0u);
        }
    }
    EXPECT_TRUE(testsupport::DaemonsServing(socket).empty());
    setenv(kNoAutospawnEnvironment, "1", 1);
    InstallCardService(nullptr);
    std::filesystem::remove_all(dir);
}

} // namespace
