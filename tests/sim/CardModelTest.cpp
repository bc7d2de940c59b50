#include "sim/model/CardModel.h"

#include "CardModelTestSupport.h"
#include "platform/VirtualClock.h"

#include <gtest/gtest.h>

namespace simcard {
namespace {

using test::Bytes32;
using test::ControlFormat;
using test::Int32At;
using Bytes = std::vector<std::uint8_t>;
constexpr auto In = WaveDirection::In;
constexpr auto Out = WaveDirection::Out;

class CardModelTest : public ::testing::Test {
protected:
    std::uint32_t OpenControl(int card, WaveDirection d, int device) {
        OpenReply r = model.Open(d, model.DeviceIdOf(card, d, device), ControlFormat());
        EXPECT_EQ(r.result, MMSYSERR_NOERROR);
        return r.handle;
    }
    MessageReply Send(WaveDirection d, std::uint32_t h, std::uint32_t msg, std::uint32_t p1 = 0,
                      Bytes block = {}) {
        if (block.empty())
            block.assign(MessageBlockSize(d, msg), 0xEE);
        return model.Message(d, h, msg, p1, 0, block);
    }

    ScopedVirtualClock clock;
    CardModel model{2, [this] { return clock->NowMs(); }};
};

TEST_F(CardModelTest, DeviceListNamesEveryCardsTwelveDevicesAfterAnotherMakersDevice) {
    auto in = model.ListDevices(In);
    auto out = model.ListDevices(Out);
    ASSERT_EQ(in.size(), 13u);
    ASSERT_EQ(out.size(), 13u);
    EXPECT_NE(in[0].manufacturerId, kCardManufacturerId);
    EXPECT_EQ(in[1].name, "Analog Record ");
    EXPECT_EQ(in[1].productId, 8);
    EXPECT_EQ(in[2].name, "Digital Record ");
    EXPECT_EQ(in[2].productId, 10);
    EXPECT_EQ(in[3].name, "ADAT Record 1-2");
    EXPECT_EQ(in[6].name, "ADAT Record 7-8");
    EXPECT_EQ(in[6].productId, 12);
    EXPECT_EQ(in[7].name, "Analog Record II");
    EXPECT_EQ(in[9].name, "ADAT Record 9-10");
    EXPECT_EQ(out[1].name, "Analog Playback ");
    EXPECT_EQ(out[1].productId, 7);
    EXPECT_EQ(out[8].name, "Digital Playback II");
    EXPECT_EQ(out[8].productId, 9);
    EXPECT_EQ(out[12].name, "ADAT Playback 15-16");
    EXPECT_EQ(out[12].productId, 11);
    for (std::size_t i = 1; i < in.size(); ++i)
        EXPECT_EQ(in[i].manufacturerId, kCardManufacturerId);
}

TEST_F(CardModelTest, OnlyADeviceOnTheSoundServerKeepsTheDaemon) {
    CardModel two(2, SteadyModelClock());
    EXPECT_FALSE(two.FollowsRealStreams());
    two.Card(1).heardOn[kDigital] = std::make_shared<LiveSound>("");
    EXPECT_TRUE(two.FollowsRealStreams());
    two.Card(1).heardOn[kDigital].reset();
    two.Card(1).playback[kFirstAdat] = Signal::PlaybackSink("varnel_pro.1.adat-out-1");
    EXPECT_TRUE(two.FollowsRealStreams());
    two.Card(1).playback[kFirstAdat] = Signal::Sine(-6, 440);
    two.Card(0).input[kDigital] = Signal::Capture("");
    EXPECT_TRUE(two.FollowsRealStreams());
}

TEST_F(CardModelTest, FourCardsNumberAdatChannelsAcrossCards) {
    CardModel four{4, SteadyModelClock()};
    auto out = four.ListDevices(Out);
    EXPECT_EQ(out[four.DeviceIdOf(3, Out, 0)].name, "Analog Playback IV");
    EXPECT_EQ(out[four.DeviceIdOf(2, Out, 1)].name, "Digital Playback III");
    EXPECT_EQ(out[four.DeviceIdOf(3, Out, 5)].name, "ADAT Playback 31-32");
    four.AddExtraDevice({In, 190, 12, "ADAT Record 33"});
    EXPECT_EQ(four.ListDevices(In).back().name, "ADAT Record 33");
}

TEST_F(CardModelTest, OpenChecksDeviceFormatAndFaults) {
    EXPECT_EQ(model.Open(In, 13, ControlFormat()).result, MMSYSERR_BADDEVICEID);
    EXPECT_EQ(model.Open(In, 1, Bytes(10, 0)).result, MMSYSERR_INVALPARAM);
    Bytes pcm = ControlFormat();
    pcm.resize(18);
    pcm[16] = 0;
    EXPECT_EQ(model.Open(In, 1, pcm).result, WAVERR_BADFORMAT);
    EXPECT_EQ(model.Open(In, 0, pcm).result, MMSYSERR_NOERROR); // another maker's device
    model.Card(1).openFails[int(In)][kDigital] = true;
    EXPECT_EQ(model.Open(In, model.DeviceIdOf(1, In, kDigital), ControlFormat()).result,
              MMSYSERR_ALLOCATED);
    OpenReply a = model.Open(In, 1, ControlFormat());
    OpenReply b = model.Open(In, 1, ControlFormat());
    EXPECT_NE(a.handle, b.handle);
    EXPECT_EQ(model.Close(Out, a.handle), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(model.Close(In, a.handle), MMSYSERR_NOERROR);
    EXPECT_EQ(model.Close(In, a.handle), MMSYSERR_INVALHANDLE);
}

TEST_F(CardModelTest, CardInfoGivesEachCardsDeviceNode) {
    auto r0 = Send(Out, OpenControl(0, Out, kAnalog), OUTMSG_GET_CARD_INFO, 0x1A2F0000);
    auto r1 = Send(Out, OpenControl(1, Out, kAnalog), OUTMSG_GET_CARD_INFO, 0x1A2F0000);
    EXPECT_EQ(r0.block, Bytes32(model.Card(0).devnode));
    EXPECT_EQ(r1.block, Bytes32(model.Card(1).devnode));
    EXPECT_NE(model.Card(0).devnode, model.Card(1).devnode);
}

TEST_F(CardModelTest, GainWordsTravelLeftLowRightHigh) {
    auto h = OpenControl(1, In, kAnalog);
    EXPECT_EQ(Send(In, h, INMSG_GET_GAIN).block, (Bytes{0x00, 0xBB, 0x00, 0xBB}));
    EXPECT_EQ(Send(In, h, INMSG_SET_GAIN, 0xC800'9A00).result, MMSYSERR_NOERROR);
    EXPECT_EQ(Send(In, h, INMSG_GET_GAIN).block, (Bytes{0x00, 0x9A, 0x00, 0xC8}));
    EXPECT_EQ(model.Card(0).gain[0], kUnityGainWord);
    auto digital = OpenControl(1, In, kDigital);
    EXPECT_EQ(Send(In, digital, INMSG_GET_GAIN).result, MMSYSERR_NOTSUPPORTED);
}

TEST_F(CardModelTest, MonitorStatePerRecordingKindByteForByte) {
    auto analog = OpenControl(0, In, kAnalog);
    auto digital = OpenControl(0, In, kDigital);
    EXPECT_EQ(Send(In, analog, INMSG_GET_MONITOR).block, (Bytes{0, 1, 0, 0}));
    EXPECT_EQ(Send(In, digital, INMSG_GET_MONITOR).block, (Bytes{2, 2, 0, 0}));
    Send(In, digital, INMSG_SET_MONITOR, 0x00020103);
    EXPECT_EQ(Send(In, digital, INMSG_GET_MONITOR).block, (Bytes{3, 1, 2, 0}));
    EXPECT_EQ(Send(In, analog, INMSG_GET_MONITOR).block, (Bytes{0, 1, 0, 0}));
    EXPECT_EQ(Send(In, OpenControl(0, In, 2), INMSG_GET_MONITOR).result, MMSYSERR_NOTSUPPORTED);
}

TEST_F(CardModelTest, RateIsTheSelectedDigitalInputs) {
    auto digital = OpenControl(0, In, kDigital);
    EXPECT_EQ(Send(In, digital, INMSG_GET_RATE).block, Bytes32(48000));
    Send(In, digital, INMSG_SET_MONITOR, 0x00000201); // optical: no lock
    EXPECT_EQ(Send(In, digital, INMSG_GET_RATE).block, Bytes32(0));
    model.Card(0).rates[0] = 96000;
    EXPECT_EQ(Send(In, digital, INMSG_GET_RATE).block, Bytes32(96000));
    EXPECT_EQ(Send(In, OpenControl(0, In, kAnalog), INMSG_GET_RATE).result, MMSYSERR_NOTSUPPORTED);
}

TEST_F(CardModelTest, RoutePerPlaybackKindAndAdatRefusedWhileBusy) {
    auto analog = OpenControl(0, Out, kAnalog);
    auto digital = OpenControl(0, Out, kDigital);
    EXPECT_EQ(Send(Out, analog, OUTMSG_GET_ROUTE).block, (Bytes{0, 0, 1, 0}));
    EXPECT_EQ(Send(Out, analog, OUTMSG_SET_ROUTE, 0x00050404).result, MMSYSERR_NOERROR);
    EXPECT_EQ(Send(Out, analog, OUTMSG_GET_ROUTE).block, (Bytes{4, 4, 5, 0}));
    EXPECT_EQ(Send(Out, digital, OUTMSG_GET_ROUTE).block, (Bytes{0, 0, 1, 0}));
    model.Card(0).busy[int(Out)][kAnalog] = true;
    EXPECT_NE(Send(Out, analog, OUTMSG_SET_ROUTE, 0x00010004).result, MMSYSERR_NOERROR);
    EXPECT_EQ(Send(Out, analog, OUTMSG_GET_ROUTE).block, (Bytes{4, 4, 5, 0}));
    EXPECT_EQ(Send(Out, analog, OUTMSG_SET_ROUTE, 0x00010002).result, MMSYSERR_NOERROR);
    EXPECT_EQ(Send(Out, OpenControl(0, Out, 3), OUTMSG_GET_ROUTE).result, MMSYSERR_NOTSUPPORTED);
}

TEST_F(CardModelTest, FormatWordOnTheDigitalPlaybackDevice) {
    auto digital = OpenControl(1, Out, kDigital);
    EXPECT_EQ(Send(Out, digital, OUTMSG_GET_FORMAT).block, Bytes32(0x0004));
    Send(Out, digital, OUTMSG_SET_FORMAT, 0x15);
    EXPECT_EQ(Send(Out, digital, OUTMSG_GET_FORMAT).block, Bytes32(0x15));
    EXPECT_EQ(Send(Out, OpenControl(1, Out, kAnalog), OUTMSG_GET_FORMAT).result,
              MMSYSERR_NOTSUPPORTED);
}

TEST_F(CardModelTest, MeterReadsOnlyWhileOnAndGivesThePeakSinceTheLastRead) {
    auto h = OpenControl(0, In, kDigital);
    EXPECT_NE(Send(In, h, INMSG_METER_READ).result, MMSYSERR_NOERROR);
    model.Card(0).input[kDigital] = Signal::Sine(-6, 1000);
    EXPECT_EQ(Send(In, h, INMSG_METER_ON).result, MMSYSERR_NOERROR);
    clock->Advance(100);
    auto r = Send(In, h, INMSG_METER_READ, 0x1A2F0000);
    EXPECT_EQ(r.result, MMSYSERR_NOERROR);
    EXPECT_EQ(Int32At(r.block, 0), 16422); // 32767 * 10^(-6/20)
    EXPECT_EQ(Int32At(r.block, 4), 16422);
    EXPECT_EQ(Send(In, h, INMSG_METER_OFF).result, MMSYSERR_NOERROR);
    EXPECT_NE(Send(In, h, INMSG_METER_READ).result, MMSYSERR_NOERROR);
    EXPECT_EQ(Send(In, h, INMSG_METER_READ, 0, Bytes(4)).result, MMSYSERR_INVALPARAM);
}

TEST_F(CardModelTest, DefaultInputsSwellSoMetersMoveBetweenReads) {
    auto h = OpenControl(0, In, kAnalog);
    Send(In, h, INMSG_METER_ON);
    std::set<std::int32_t> seen;
    for (int i = 0; i < 20; ++i) {
        clock->Advance(100);
        auto r = Send(In, h, INMSG_METER_READ);
        seen.insert(Int32At(r.block, 0));
        EXPECT_GT(Int32At(r.block, 0), 2000);
        EXPECT_LT(Int32At(r.block, 0), 32767);
    }
    EXPECT_GE(seen.size(), 8u);
}

TEST_F(CardModelTest, AnalogInputLevelFollowsTheGainWord) {
    auto h = OpenControl(0, In, kAnalog);
    model.Card(0).input[kAnalog] = Signal::Sine(-20, 440);
    Send(In, h, INMSG_SET_GAIN, 0x6C00'FF00); // left +35 dB, right -40 dB
    Send(In, h, INMSG_METER_ON);
    clock->Advance(50);
    auto r = Send(In, h, INMSG_METER_READ);
    EXPECT_EQ(Int32At(r.block, 0), 32767);
    EXPECT_EQ(Int32At(r.block, 4), 33); // -60 dBFS
}

TEST_F(CardModelTest, PlaybackMeterFollowsTheRoute) {
    auto h = OpenControl(0, Out, kAnalog);
    Send(Out, h, OUTMSG_METER_ON);
    clock->Advance(50);
    EXPECT_EQ(Send(Out, h, OUTMSG_METER_READ).block, Bytes(8, 0)); // applications play silence
    model.Card(0).input[kFirstAdat + 1] = Signal::Sine(0, 1000);
    Send(Out, h, OUTMSG_SET_ROUTE, 0x00070204); // ADAT channels 3 (pair 2 left) and 8
    clock->Advance(50);
    auto r = Send(Out, h, OUTMSG_METER_READ);
    EXPECT_EQ(Int32At(r.block, 0), 32767);
    EXPECT_LT(Int32At(r.block, 4), 32767);
}

TEST_F(CardModelTest, MeterOnRefusedByFault) {
    model.Card(1).meterOnRefused[int(Out)][3] = true;
    EXPECT_NE(Send(Out, OpenControl(1, Out, 3), OUTMSG_METER_ON).result, MMSYSERR_NOERROR);
    EXPECT_EQ(Send(Out, OpenControl(1, Out, 2), OUTMSG_METER_ON).result, MMSYSERR_NOERROR);
}

TEST_F(CardModelTest, HandlesBelongToTheirClient) {
    ClientId other = model.Connect(4242);
    auto h = OpenControl(0, In, kAnalog);
    Bytes block(4);
    EXPECT_EQ(model.Message(other, In, h, INMSG_GET_GAIN, 0, 0, block).result,
              MMSYSERR_INVALHANDLE);
    EXPECT_EQ(Send(In, h, OUTMSG_GET_ROUTE, 0, Bytes(4)).result, MMSYSERR_NOTSUPPORTED);
    auto theirs = model.Open(other, In, 1, ControlFormat()).handle;
    EXPECT_EQ(model.Handles().size(), 2u);
    model.Disconnect(other);
    EXPECT_EQ(model.Handles().size(), 1u);
    EXPECT_EQ(model.Message(In, theirs, INMSG_GET_GAIN, 0, 0, block).result, MMSYSERR_INVALHANDLE);
}

TEST_F(CardModelTest, TraceRecordsEachAnsweredRequest) {
    auto h = OpenControl(0, In, kDigital);
    Send(In, h, INMSG_GET_RATE, 0x1A2F0000);
    const auto& trace = model.Trace();
    ASSERT_EQ(trace.size(), 2u);
    std::string pid = std::to_string(getpid());
    ASSERT_EQ(h, 0x100u); // the first handle of a fresh model
    EXPECT_EQ(trace[0], "1 pid=" + pid + " open dev=2 waveInOpen p1=0x100 p2=0x0 result=0");
    EXPECT_EQ(trace[1],
              "2 pid=" + pid + " waveInMessage dev=2 INMSG_GET_RATE p1=0x1A2F0000 p2=0x0 result=0");
    model.ClearTrace();
    EXPECT_TRUE(model.Trace().empty());
}

} // namespace
} // namespace simcard
