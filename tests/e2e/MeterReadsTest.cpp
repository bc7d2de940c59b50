// The platform's meter reads against a real card daemon: one request fetches the peaks of every
// metering handle, each read hands out its own peak once, and refusals, closed handles and a
// daemon that went away stay the business of the handle they concern.
#include "platform/CardConnection.h"
#include "platform/VirtualClock.h"
#include "platform/WaveDevices.h"
#include "platform/Wow16.h"
#include "sim/protocol/CardClient.h"
#include "support/CardDaemonSupport.h"
#include "support/ControlFormat.h"

#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr UINT kMeterOn = 0x4038, kMeterRead = 0x403A;
// Card 0's analog, digital and first ADAT input; card 1's analog input.
constexpr UINT kAnalog = 1, kDigital = 2, kAdat = 3, kSecondCard = 7;

const testsupport::ControlFormat kControl;

class MeterReadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(daemon.Started());
        for (const char* device : {"analog-in", "digital-in", "adat-in-1"})
            ASSERT_TRUE(daemon.Ctl({"signal", "0", device, "noise", "-6"}));
        ASSERT_TRUE(daemon.Ctl({"signal", "1", "analog-in", "noise", "-6"}));
        for (UINT device : {kAnalog, kDigital, kAdat, kSecondCard}) {
            HWAVEIN h = nullptr;
            ASSERT_EQ(waveInOpen(&h, device, &kControl.format, 0, 0, CALLBACK_NULL),
                      MMSYSERR_NOERROR);
            handles.push_back(h);
        }
        // The digital input's meter stays off: it is in no fetch.
        for (HWAVEIN h : {handles[0], handles[2], handles[3]})
            ASSERT_EQ(waveInMessage(h, kMeterOn, 0, 0), MMSYSERR_NOERROR);
        daemon.Ctl({"trace", "--clear"});
        std::memset(flat, 0xEE, 8);
    }
    void TearDown() override {
        for (HWAVEIN h : handles)
            waveInClose(h);
        WOWGetVDMPointerUnfix(block);
        WOWGlobalUnlockFree16(block);
        InstallCardService(nullptr);
    }
    MMRESULT Read(int which) { return waveInMessage(handles[which], kMeterRead, block, 0); }
    std::uint32_t Left() const {
        std::uint32_t v;
        std::memcpy(&v, flat, 4);
        return v;
    }
    std::size_t ReadsAnswered() const { return daemon.TraceLines("INMSG_METER_READ").size(); }

    ScopedVirtualClock clock;
    testsupport::CardDaemon daemon{2};
    std::vector<HWAVEIN> handles;
    DWORD block = WOWGlobalAllocLock16(GMEM_ZEROINIT, 8, nullptr);
    std::uint8_t* flat = static_cast<std::uint8_t*>(WOWGetVDMPointerFix(block, 8, TRUE));
};

TEST_F(MeterReadsTest, OneFetchServesEveryMeteringHandleOnceOnEitherCard) {
    ASSERT_EQ(Read(0), MMSYSERR_NOERROR);
    EXPECT_GT(Left(), 0u);
    EXPECT_EQ(ReadsAnswered(), 3u) << "the three metering handles, not the quiet one";
    for (int which : {2, 3}) {
        std::memset(flat, 0, 8);
        ASSERT_EQ(Read(which), MMSYSERR_NOERROR);
        EXPECT_GT(Left(), 0u) << "handle " << which;
    }
    EXPECT_EQ(ReadsAnswered(), 3u) << "served from that one fetch";
    EXPECT_EQ(waveInMessage(handles[1], kMeterRead, block, 0), MMSYSERR_ERROR) << "meter is off";

    ASSERT_EQ(Read(0), MMSYSERR_NOERROR);
    EXPECT_EQ(ReadsAnswered(), 7u) << "a consumed peak is fetched anew, never handed out twice";
    clock->Advance(CardConnection::kFreshMeterMs + 1);
    ASSERT_EQ(Read(2), MMSYSERR_NOERROR);
    EXPECT_EQ(ReadsAnswered(), 10u) << "a peak held too long is topped up before it is read";
}

TEST_F(MeterReadsTest, PeaksOfSeveralFetchesMergeUntilTheirHandleReadsThem) {
    ASSERT_EQ(Read(0), MMSYSERR_NOERROR); // fetches the ADAT input's loud peak
    ASSERT_TRUE(daemon.Ctl({"signal", "0", "adat-in-1", "silence"}));
    ASSERT_EQ(Read(0), MMSYSERR_NOERROR); // fetches its silence
    ASSERT_EQ(Read(2), MMSYSERR_NOERROR);
    EXPECT_GT(Left(), 0u) << "the loud peak is not lost to the later silence";
    ASSERT_EQ(Read(2), MMSYSERR_NOERROR);
    EXPECT_EQ(Left(), 0u) << "then only what came after it";
}

TEST_F(MeterReadsTest, ARefusalStaysWithItsHandle) {
    ASSERT_TRUE(daemon.Ctl({"fault", "meter-read", "0", "adat-in-1", "on"}));
    ASSERT_EQ(Read(0), MMSYSERR_NOERROR);
    EXPECT_EQ(Read(3), MMSYSERR_NOERROR) << "the other card's handle is served";
    std::memset(flat, 0xEE, 8);
    EXPECT_EQ(Read(2), MMSYSERR_ERROR);
    EXPECT_EQ(flat[0], 0xEE) << "a refused read leaves the block as it was";

    ASSERT_TRUE(daemon.Ctl({"fault", "meter-read", "0", "adat-in-1", "off"}));
    EXPECT_EQ(Read(2), MMSYSERR_NOERROR) << "the refusal was handed out once";
    EXPECT_GT(Left(), 0u);
}

TEST_F(MeterReadsTest, AClosedHandleOrALostDaemonTakesTheFetchedPeakAlong) {
    ASSERT_EQ(Read(0), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInClose(handles[2]), MMSYSERR_NOERROR);
    EXPECT_EQ(Read(2), MMSYSERR_INVALHANDLE);
    HWAVEIN again = nullptr;
    ASSERT_EQ(waveInOpen(&again, kAdat, &kControl.format, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    handles[2] = again;
    ASSERT_TRUE(daemon.Ctl({"signal", "0", "adat-in-1", "silence"}));
    ASSERT_EQ(waveInMessage(again, kMeterOn, 0, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(Read(2), MMSYSERR_NOERROR);
    EXPECT_EQ(Left(), 0u) << "not the loud peak fetched for the closed handle";

    daemon.Kill();
    const auto start = std::chrono::steady_clock::now();
    while (CardConnection::Instance().DaemonConnected() &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        std::this_thread::yield();
    EXPECT_EQ(Read(3), MMSYSERR_NODRIVER) << "no peak of a daemon that is gone";
}

TEST_F(MeterReadsTest, TheDaemonAnswersEachTargetAsItsOwnReadAndOnlyForItsClient) {
    simcard::CardClient own, other;
    std::string error;
    ASSERT_TRUE(own.Connect(daemon.Socket(), &error)) << error;
    ASSERT_TRUE(other.Connect(daemon.Socket(), &error)) << error;
    const std::vector<std::uint8_t> format(reinterpret_cast<const std::uint8_t*>(&kControl),
                                           reinterpret_cast<const std::uint8_t*>(&kControl) +
                                               sizeof kControl);
    const auto in = simcard::WaveDirection::In;
    const std::uint32_t mine = own.Open(in, kAnalog, format).handle;
    const std::uint32_t quiet = own.Open(in, kDigital, format).handle;
    const std::uint32_t theirs = other.Open(in, kAnalog, format).handle;
    ASSERT_EQ(own.Message(in, mine, kMeterOn, 0, 0, {}).result, MMSYSERR_NOERROR);
    ASSERT_EQ(other.Message(in, theirs, kMeterOn, 0, 0, {}).result, MMSYSERR_NOERROR);

    const std::vector<simcard::MeterTarget> targets = {{in, mine}, {in, quiet}, {in, theirs}};
    const auto replies = own.ReadMeters(targets, 0x12340000);
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].result, MMSYSERR_NOERROR);
    EXPECT_EQ(replies[0].block.size(), 8u);
    EXPECT_EQ(replies[1].result, MMSYSERR_ERROR) << "its meter is off";
    EXPECT_EQ(replies[2].result, MMSYSERR_INVALHANDLE) << "another client's handle";
    const auto lines = daemon.TraceLines("INMSG_METER_READ");
    ASSERT_EQ(lines.size(), 3u) << "traced as the reads they stand for";
    EXPECT_NE(lines[0].find("p1=0x12340000"), std::string::npos) << lines[0];
}

} // namespace
