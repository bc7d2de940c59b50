#include "CardModelTestSupport.h"
#include "platform/VirtualClock.h"
#include "sim/model/CardModel.h"

#include <gtest/gtest.h>

namespace simcard {
namespace {

using test::ControlFormat;
using test::Int32At;
using Bytes = std::vector<std::uint8_t>;

class CardModelConfigTest : public ::testing::Test {
protected:
    ConfigReply Run(std::uint32_t code) {
        return model.Config(code, Bytes(ConfigRecordSize(code), 0));
    }
    ScopedVirtualClock clock;
    CardModel model{2, [this] { return clock->NowMs(); }};
};

TEST_F(CardModelConfigTest, GetstatesReportsDriverAndCards) {
    auto r = Run(CONFIG_GETSTATES);
    EXPECT_EQ(r.result, MMSYSERR_NOERROR);
    EXPECT_EQ(r.data, (Bytes{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    model.SetDriverState(-25);
    model.SetCardState(1, -25);
    model.SetCardState(4, 1);
    r = Run(CONFIG_GETSTATES);
    EXPECT_EQ(Int32At(r.data, 0), -25);
    EXPECT_EQ(Int32At(r.data, 4), -25);
    EXPECT_EQ(Int32At(r.data, 8), 1);
    EXPECT_EQ(Int32At(r.data, 12), 0);
    EXPECT_EQ(Int32At(r.data, 16), 1);
}

TEST_F(CardModelConfigTest, ReconfigurableOnlyWhileNothingIsBusy) {
    EXPECT_EQ(Int32At(Run(CONFIG_RECONFIGURABLE).data, 0), 1);
    model.Card(1).busy[int(WaveDirection::In)][4] = true;
    EXPECT_EQ(Int32At(Run(CONFIG_RECONFIGURABLE).data, 0), 0);
    model.Card(1).busy[int(WaveDirection::In)][4] = false;
    // Control handles are not applications holding a device.
    model.Open(WaveDirection::Out, 1, ControlFormat());
    EXPECT_EQ(Int32At(Run(CONFIG_RECONFIGURABLE).data, 0), 1);
}

TEST_F(CardModelConfigTest, DefaultConfigurationAndExactRoundTrip) {
    auto r = Run(CONFIG_GETCONFIG);
    ASSERT_EQ(r.data.size(), 800u);
    for (int card = 0; card < 4; ++card) {
        std::size_t base = 200 * card;
        EXPECT_EQ(Int32At(r.data, base + 136), 44100);
        EXPECT_EQ(Int32At(r.data, base + 144), 48000);
        EXPECT_EQ(Int32At(r.data, base + 28), -1);
        EXPECT_EQ(Int32At(r.data, base + 32), -1);
        EXPECT_EQ(Int32At(r.data, base + 48), 0);
        EXPECT_EQ(Int32At(r.data, base + 56), 0);
    }
    Bytes block(800);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 7 + 3);
    EXPECT_EQ(model.Config(CONFIG_SETCONFIG, block).result, MMSYSERR_NOERROR);
    EXPECT_EQ(Run(CONFIG_GETCONFIG).data, block);
}

TEST_F(CardModelConfigTest, WrongSizesAndUnknownCodesLeaveTheRecord) {
    Bytes odd(19, 0x55);
    auto r = model.Config(CONFIG_GETSTATES, odd);
    EXPECT_EQ(r.result, MMSYSERR_INVALPARAM);
    EXPECT_EQ(r.data, odd);
    EXPECT_EQ(model.Config(0x4005, Bytes(4)).result, MMSYSERR_NOTSUPPORTED);
    EXPECT_EQ(model.Config(CONFIG_SETCONFIG, Bytes(799)).result, MMSYSERR_INVALPARAM);
    EXPECT_EQ(Int32At(Run(CONFIG_GETCONFIG).data, 136), 44100);
}

TEST_F(CardModelConfigTest, ConfigFaultsTellTheConfigurationProcessWhatToDo) {
    model.SetConfigFault(ConfigFault::Hang);
    Bytes block(800, 0xAB);
    auto r = model.Config(CONFIG_SETCONFIG, block);
    EXPECT_EQ(r.fault, ConfigFault::Hang);
    model.SetConfigFault(ConfigFault::Crash);
    EXPECT_EQ(model.Config(CONFIG_SETCONFIG, block).fault, ConfigFault::Crash);
    model.SetConfigFault(ConfigFault::Slow, 750);
    EXPECT_EQ(Int32At(Run(CONFIG_GETCONFIG).data, 136), 44100); // neither was carried out
    r = Run(CONFIG_GETSTATES);
    EXPECT_EQ(r.fault, ConfigFault::Slow);
    EXPECT_EQ(r.delayMs, 750u);
    EXPECT_EQ(Int32At(r.data, 0), 1);
    model.SetConfigFault(ConfigFault::None);
    EXPECT_EQ(Run(CONFIG_GETSTATES).fault, ConfigFault::None);
}

TEST_F(CardModelConfigTest, SetconfigTraceCarriesRemoveNotice) {
    Bytes block = Run(CONFIG_GETCONFIG).data;
    block[0] = block[1] = block[2] = block[3] = 0xFF;
    model.Config(CONFIG_SETCONFIG, block);
    std::string pid = std::to_string(getpid());
    EXPECT_EQ(model.Trace().back(),
              std::to_string(model.Trace().size()) + " pid=" + pid +
                  " config dev=- setconfig p1=0x320 p2=0x0 result=0 RemoveNotice=-1");
}

TEST_F(CardModelConfigTest, UnplugAsksSubscribersAndRemovesTheCardWhenAnswered) {
    std::vector<DeviceChangeEvent> seen;
    ClientId manager = model.Connect(100);
    model.Subscribe(manager, [&](const DeviceChangeEvent& e) { seen.push_back(e); });
    auto handle =
        model.Open(WaveDirection::In, model.DeviceIdOf(1, WaveDirection::In, 0), ControlFormat())
            .handle;
    const std::uint32_t node = model.Card(1).devnode;
    const std::uint32_t survivor = model.Card(0).devnode;
    ASSERT_TRUE(model.Unplug(1));
    EXPECT_FALSE(model.Unplug(1));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].event, DBT_DEVICEQUERYREMOVE);
    EXPECT_EQ(seen[0].deviceType, DBT_DEVTYP_DEVNODE);
    EXPECT_EQ(seen[0].devnode, node);
    // The card keeps serving while the program winds down.
    EXPECT_EQ(model.CardCount(), 2);
    EXPECT_EQ(Int32At(model.Config(CONFIG_GETSTATES, Bytes(20)).data, 8), 1);
    model.AnswerDeviceChange(manager, seen[0].id);
    EXPECT_EQ(model.CardCount(), 1);
    EXPECT_EQ(model.Card(0).devnode, survivor);
    EXPECT_EQ(model.ListDevices(WaveDirection::In).size(), 7u);
    EXPECT_EQ(model.Message(WaveDirection::In, handle, INMSG_METER_ON, 0, 0, {}).result,
              MMSYSERR_INVALHANDLE);
    EXPECT_EQ(Int32At(model.Config(CONFIG_GETSTATES, Bytes(20)).data, 8), 0);
}

TEST_F(CardModelConfigTest, UnplugWaitsAFewSecondsAtMostAndNotForDepartedClients) {
    ClientId silent = model.Connect(101);
    model.Subscribe(silent, [](const DeviceChangeEvent&) {});
    ClientId leaving = model.Connect(102);
    model.Subscribe(leaving, [](const DeviceChangeEvent&) {});
    model.Unplug(0);
    model.Disconnect(leaving);
    EXPECT_EQ(model.PendingRemovals(), 1u);
    ASSERT_TRUE(model.NextDeadline());
    clock->Advance(CardModel::kRemovalTimeoutMs - 1);
    model.Tick();
    EXPECT_EQ(model.CardCount(), 2);
    clock->Advance(1);
    model.Tick();
    EXPECT_EQ(model.CardCount(), 1);
    EXPECT_EQ(model.ListDevices(WaveDirection::Out)[1].name, "Analog Playback ");
    // Nobody listening: the card goes at once.
    model.Disconnect(silent);
    model.Unplug(0);
    EXPECT_EQ(model.CardCount(), 0);
}

TEST_F(CardModelConfigTest, InProcessHandlerMayAnswerAtOnce) {
    model.SetDeviceChangeHandler(
        [&](const DeviceChangeEvent& e) { model.AnswerDeviceChange(e.id); });
    model.Unplug(0);
    EXPECT_EQ(model.CardCount(), 1);
}

} // namespace
} // namespace simcard
