#include "driver/DriverMessages.h"

#include <gtest/gtest.h>

namespace {

TEST(DriverMessagesTest, EachMessageGoesToItsSide) {
    for (UINT m : {OUTMSG_METER_ON, OUTMSG_METER_OFF, OUTMSG_METER_READ, OUTMSG_GET_ROUTE,
                   OUTMSG_SET_ROUTE, OUTMSG_GET_FORMAT, OUTMSG_SET_FORMAT, OUTMSG_GET_CARD_INFO})
        EXPECT_EQ(SideOf(m), MessageSide::Playback) << std::hex << m;
    for (UINT m : {INMSG_GET_GAIN, INMSG_SET_GAIN, INMSG_GET_MONITOR, INMSG_SET_MONITOR,
                   INMSG_METER_ON, INMSG_METER_OFF, INMSG_METER_READ, INMSG_GET_RATE})
        EXPECT_EQ(SideOf(m), MessageSide::Recording) << std::hex << m;
    for (UINT m : {0x4001u, 0x4004u, 0x400Cu, 0x4036u})
        EXPECT_EQ(SideOf(m), MessageSide::None) << std::hex << m;
}

TEST(DriverMessagesTest, PackedRecordsPutByteZeroInTheLowBits) {
    RouteState route;
    route.b[RouteState::kSource] = AnalogFromAdatIn;
    route.b[RouteState::kAdatLeft] = 6;
    route.b[RouteState::kAdatRight] = 7;
    EXPECT_EQ(route.Packed(), 0x00070604u);
    EXPECT_EQ(ByteQuad::Unpacked(0x00070604u), static_cast<ByteQuad>(route));
    EXPECT_EQ((GainWords{0xBB00, 0x6C00}.Packed()), 0x6C00BB00u);
}

TEST(DriverMessagesTest, BlocksAreReadLittleEndianAndPerChannel) {
    const BYTE peak[8] = {0xFF, 0x7F, 0, 0, 0x10, 0, 0, 0};
    PeakValues v = ReadPeakBlock(peak);
    EXPECT_EQ(v.OfChannel(2), 32767);
    EXPECT_EQ(v.OfChannel(3), 16);
    const BYTE gain[4] = {0x00, 0xBB, 0x00, 0x6C};
    EXPECT_EQ(ReadGainBlock(gain).OfChannel(3), 0x6C00);
    EXPECT_EQ(ReadGainBlock(gain).OfChannel(0), 0xBB00);
    const BYTE monitor[4] = {InputCd, MonitorToDigitalOut, MonitorWhilePunch, 9};
    auto state = ReadQuadBlock<MonitorState>(monitor);
    EXPECT_EQ(state.b[MonitorState::kCondition], MonitorWhilePunch);
    BYTE rate[4];
    WriteInt32(rate, 48000);
    EXPECT_EQ(ReadRateBlock(rate), 48000);
}

TEST(DriverMessagesTest, TheProfessionalBitLeavesTheOtherBitsAsRead) {
    EXPECT_EQ(WithProfessionalFormat(0x05, true), 0x15u);
    EXPECT_EQ(WithProfessionalFormat(0x15, false), 0x05u);
    EXPECT_EQ(WithProfessionalFormat(0x15, true), 0x15u);
}

} // namespace
