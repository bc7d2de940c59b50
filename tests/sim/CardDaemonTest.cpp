#include "CardModelTestSupport.h"
#include "sim/protocol/CardClient.h"
#include "sim/protocol/Wire.h"
#include "support/DaemonProcess.h"
#include "support/Deadline.h"
#include "support/RawSocket.h"
#include "support/Varnelctl.h"

#include <condition_variable>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace simcard {
namespace {

using test::ControlFormat;
using test::Int32At;
using testsupport::DaemonProcess;
using testsupport::Fact;
using testsupport::RawConnection;
using wire::FrameType;
using wire::Writer;
using Bytes = std::vector<std::uint8_t>;
constexpr auto In = WaveDirection::In;
constexpr auto Out = WaveDirection::Out;

class CardDaemonTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(daemon.Started()); }
    void Connect(CardClient& client) {
        std::string error;
        ASSERT_TRUE(client.Connect(daemon.Socket(), &error)) << error;
    }
    std::string Status(CardClient& client) { return client.Control({"status"}).output; }
    // The daemon sees another connection's hang-up on its own schedule: ask until it has
    // (bounded), as a user re-running status would.
    std::string AwaitFact(CardClient& client, const std::string& key, const std::string& value) {
        std::string seen;
        testsupport::PollUntil(
            std::chrono::seconds(2), [&] { return (seen = Fact(Status(client), key)) == value; },
            std::chrono::milliseconds(2));
        return seen;
    }

    DaemonProcess daemon;
};

TEST_F(CardDaemonTest, SeveralClientsShareOneCardButNotTheirHandles) {
    CardClient a, b;
    Connect(a);
    Connect(b);
    auto devices = a.ListDevices(In);
    ASSERT_EQ(devices.size(), 13u);
    EXPECT_EQ(devices[7].name, "Analog Record II");
    EXPECT_EQ(b.ListDevices(Out)[12].name, "ADAT Playback 15-16");

    OpenReply open = a.Open(In, 1, ControlFormat());
    ASSERT_EQ(open.result, MMSYSERR_NOERROR);
    EXPECT_EQ(a.Message(In, open.handle, INMSG_SET_GAIN, 0x9000A000, 0, {}).result,
              MMSYSERR_NOERROR);
    // b sees the change a made, but cannot use a's handle.
    OpenReply theirs = b.Open(In, 1, ControlFormat());
    auto gain = b.Message(In, theirs.handle, INMSG_GET_GAIN, 0x1A2F0000, 0, Bytes(4));
    EXPECT_EQ(gain.block, (Bytes{0x00, 0xA0, 0x00, 0x90}));
    EXPECT_EQ(b.Message(In, open.handle, INMSG_GET_GAIN, 0, 0, Bytes(4)).result,
              MMSYSERR_INVALHANDLE);
    std::string status = Status(a);
    EXPECT_EQ(Fact(status, "handles.open"), "2");
    EXPECT_EQ(Fact(status, "clients"), "2");
    // The trace names each client's own process.
    std::string trace = a.Control({"trace"}).output;
    EXPECT_NE(trace.find("pid=" + std::to_string(getpid()) +
                         " waveInMessage dev=1 INMSG_GET_GAIN "
                         "p1=0x1A2F0000 p2=0x0 result=0"),
              std::string::npos);

    b.Disconnect();
    EXPECT_EQ(AwaitFact(a, "handles.open", "1"), "1");
    EXPECT_EQ(a.Close(In, open.handle), MMSYSERR_NOERROR);
}

TEST_F(CardDaemonTest, ConfigurationCommandsCarryTheRecordBothWays) {
    CardClient c;
    Connect(c);
    auto states = c.Config(CONFIG_GETSTATES, Bytes(20));
    EXPECT_EQ(states.data, (Bytes{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    auto config = c.Config(CONFIG_GETCONFIG, Bytes(800));
    ASSERT_EQ(config.result, MMSYSERR_NOERROR);
    config.data[0] = config.data[1] = config.data[2] = config.data[3] = 0xFF;
    config.data[150] = 0x42; // a byte the driver does not name
    EXPECT_EQ(c.Config(CONFIG_SETCONFIG, config.data).result, MMSYSERR_NOERROR);
    EXPECT_EQ(c.Config(CONFIG_GETCONFIG, Bytes(800)).data, config.data);
    // A client without a reader thread, as the configuration process asks, gets the same record.
    CardClient asker(CardClient::Replies::ReadByRequest);
    Connect(asker);
    EXPECT_EQ(asker.Config(CONFIG_GETCONFIG, Bytes(800)).data, config.data);
    EXPECT_EQ(c.Control({"fault", "config", "slow", "250"}).status, 0);
    auto slow = c.Config(CONFIG_RECONFIGURABLE, Bytes(4));
    EXPECT_EQ(slow.fault, ConfigFault::Slow);
    EXPECT_EQ(slow.delayMs, 250u);
    EXPECT_EQ(Int32At(slow.data, 0), 1);
}

TEST_F(CardDaemonTest, UnplugAsksSubscribersAndWaitsForTheirAnswer) {
    CardClient manager, ctl;
    Connect(manager);
    Connect(ctl);
    std::mutex m;
    std::condition_variable cv;
    std::vector<DeviceChangeEvent> events;
    manager.SetDeviceChangeHandler([&](const DeviceChangeEvent& e) {
        std::lock_guard lock(m);
        events.push_back(e);
        cv.notify_all();
    });
    std::string devnode = Fact(Status(ctl), "card.1.devnode");
    ASSERT_EQ(ctl.Control({"unplug", "1"}).status, 0);
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(2), [&] { return !events.empty(); }));
    }
    EXPECT_EQ(events[0].event, DBT_DEVICEQUERYREMOVE);
    EXPECT_EQ(events[0].deviceType, DBT_DEVTYP_DEVNODE);
    EXPECT_EQ(events[0].devnode, std::stoul(devnode, nullptr, 16));
    // Still served while the program does its getconfig and setconfig.
    EXPECT_EQ(Fact(Status(ctl), "cards"), "2");
    EXPECT_EQ(manager.Config(CONFIG_GETCONFIG, Bytes(800)).result, MMSYSERR_NOERROR);
    manager.AnswerDeviceChange(events[0].id);
    // The answer has no reply; the next request of the same client is answered after it.
    EXPECT_EQ(Fact(Status(manager), "cards"), "1");
    EXPECT_EQ(manager.ListDevices(Out).size(), 7u);
}

TEST_F(CardDaemonTest, AClientKilledInTheMiddleOfARequestLosesItsHandles) {
    CardClient watcher;
    Connect(watcher);
    pid_t child = fork();
    if (child == 0) {
        RawConnection raw(daemon.Socket());
        Bytes fmt = ControlFormat();
        raw.Send(Writer().U8(0).U32(1).Bytes(fmt).Frame(FrameType::Open, 1));
        if (!raw.ReadFrame())
            _exit(3);
        Bytes half = Writer()
                         .U8(0)
                         .U32(0x100)
                         .U32(INMSG_GET_GAIN)
                         .U32(0)
                         .U32(0)
                         .Bytes(Bytes(4))
                         .Frame(FrameType::Message, 2);
        half.resize(half.size() / 2);
        raw.Send(half);
        kill(getpid(), SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(AwaitFact(watcher, "handles.open", "0"), "0");
    EXPECT_EQ(watcher.ListDevices(In).size(), 13u);
}

TEST_F(CardDaemonTest, MalformedAndOutOfRangeRequestsGetErrorsOversizedOnesEndTheClient) {
    RawConnection raw(daemon.Socket());
    CardClient other;
    Connect(other);
    auto expectError = [&](std::uint32_t sequence) {
        auto frame = raw.ReadFrame();
        ASSERT_TRUE(frame);
        auto header = wire::ParseHeader(*frame);
        EXPECT_EQ(header.type, FrameType::Error);
        EXPECT_EQ(header.sequence, sequence);
    };
    raw.Send(Writer().U8(0).Frame(static_cast<FrameType>(0x33), 7)); // unknown type
    expectError(7);
    raw.Send(Writer().U8(0).U32(1).Frame(FrameType::Open, 8)); // format missing
    expectError(8);
    raw.Send(Writer().U8(9).Frame(FrameType::ListDevices, 9)); // no such direction
    expectError(9);
    raw.Send(Writer().U32(0).U32(0xFFFFFFFF).Frame(FrameType::Config, 10)); // length past the end
    expectError(10);
    raw.Send(Writer().U8(1).Frame(FrameType::ListDevices, 12));
    auto frame = raw.ReadFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(wire::ParseHeader(*frame).type, FrameType::Reply);
    EXPECT_EQ(wire::ParseHeader(*frame).sequence, 12u);
    // An oversized request is refused and its client dropped: the stream after it has no frames.
    Bytes huge = Writer().Bytes(Bytes(200000, 0xAA)).Frame(FrameType::Control, 11);
    raw.Send(huge);
    expectError(0);
    pollfd end{raw.Fd(), POLLIN, 0};
    char byte = 0;
    EXPECT_TRUE(poll(&end, 1, 2000) == 1 && recv(raw.Fd(), &byte, 1, MSG_DONTWAIT) <= 0)
        << "the connection ends after the refusal";
    // A length too short for any request with a request right behind it, in one write: the
    // request is answered without waiting for more bytes.
    RawConnection fresh(daemon.Socket());
    Bytes shortThenList{0, 0, 0, 0};
    const Bytes list = Writer().U8(1).Frame(FrameType::ListDevices, 13);
    shortThenList.insert(shortThenList.end(), list.begin(), list.end());
    ASSERT_TRUE(fresh.Send(shortThenList));
    frame = fresh.ReadFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(wire::ParseHeader(*frame).type, FrameType::Error);
    frame = fresh.ReadFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(wire::ParseHeader(*frame).sequence, 13u);
    // A handle or device out of range is the driver's answer, not a protocol error.
    EXPECT_EQ(other.Open(In, 500, ControlFormat()).result, MMSYSERR_BADDEVICEID);
    EXPECT_EQ(other.Close(Out, 12345), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(other.Message(In, 12345, INMSG_METER_ON, 0, 0, {}).result, MMSYSERR_INVALHANDLE);
    EXPECT_EQ(other.ListDevices(In).size(), 13u);
}

TEST(CardDaemonPeers, APeerOfAnotherUserIsRefused) {
    DaemonProcess daemon({"--test-allow-uid", std::to_string(getuid() + 1)});
    ASSERT_TRUE(daemon.Started());
    CardClient client;
    std::string error;
    EXPECT_FALSE(client.Connect(daemon.Socket(), &error));
    EXPECT_NE(error.find("another user"), std::string::npos) << error;
    struct stat st {};
    ASSERT_EQ(stat(daemon.Directory().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(CardDaemonLifecycle, StaleSocketIsReplacedLiveOneIsNotAndSigtermCleansUp) {
    char pattern[] = "/tmp/varnel-stale-XXXXXX";
    std::string dir = mkdtemp(pattern);
    std::string path = dir + "/card.sock";
    {
        // A socket file whose daemon is gone.
        const int fd = testsupport::RawBind(path);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    setenv("VARNEL_CARD_SOCKET", path.c_str(), 1);
    {
        // Started by hand: DaemonProcess would make a fresh directory without the stale socket.
        pid_t pid = fork();
        if (pid == 0) {
            execl(VARNEL_CARDD_PATH, VARNEL_CARDD_PATH, "--foreground", nullptr);
            _exit(127);
        }
        CardClient client;
        std::string error;
        ASSERT_TRUE(testsupport::PollUntil(
            std::chrono::seconds(5), [&] { return client.Connect(path, &error); },
            std::chrono::milliseconds(2)))
            << error;
        client.Disconnect();
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_NE(access(path.c_str(), F_OK), 0);
    }
    unsetenv("VARNEL_CARD_SOCKET");
    rmdir(dir.c_str());

    DaemonProcess first;
    ASSERT_TRUE(first.Started());
    EXPECT_NE(first.RunSecond({}), 0);
    CardClient client;
    std::string error;
    EXPECT_TRUE(client.Connect(first.Socket(), &error)) << error;
    client.Disconnect();
    CardClient asker(CardClient::Replies::ReadByRequest);
    EXPECT_TRUE(asker.Connect(first.Socket(), &error)) << error;
    EXPECT_EQ(first.Stop(), 0);
    // A client reading its own replies learns of the end from its next request: the request
    // fails and the client knows it is disconnected (a reply merely late would leave it
    // connected).
    EXPECT_EQ(asker.Config(CONFIG_GETSTATES, Bytes(20)).result, MMSYSERR_NODRIVER);
    EXPECT_FALSE(asker.Connected());
    EXPECT_NE(access(first.Socket().c_str(), F_OK), 0);
}

} // namespace
} // namespace simcard
