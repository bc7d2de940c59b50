// The cards' state as a daemon that ends when idle keeps it: what a description carries into a
// daemon of another card count, and that a damaged text changes nothing.
#include "sim/model/SavedState.h"

#include <gtest/gtest.h>

namespace simcard {
namespace {

TEST(SavedStateTest, ADescriptionCarriesEveryCardStateAndAllFourRecords) {
    CardModel two(2, SteadyModelClock());
    SimulatedCard& card = two.Card(1);
    card.gain = {0x8000, 0xFF00};
    card.monitor = {{{0, 2, 1, 0}, {3, 1, 2, 0}}};
    card.route = {{{4, 7, 0, 0}, {1, 0, 0, 9}}};
    card.format = 0xDEADBEEF;
    card.rates = {96000, 0, 32000};
    ConfigRecord record = DefaultConfigRecord(1);
    record[199] = 0xAB;
    two.SetRecordAt(1, record);
    record[0] = 0x5A;
    two.SetRecordAt(3, record); // the spare record of a fourth card
    card.input[kDigital] = Signal::Capture("desk.monitor");
    card.input[kAnalog] = Signal::Capture(""); // the server's default source
    card.playback[kFirstAdat + 1] = Signal::PlaybackSink("varnel_pro.1.adat-out-2");
    card.heardOn[kDigital] = std::make_shared<LiveSound>("speakers");

    CardModel again(2, SteadyModelClock());
    std::string error;
    ASSERT_TRUE(ApplyState(again, DescribeState(two), &error)) << error;
    EXPECT_EQ(DescribeState(again), DescribeState(two));
    EXPECT_EQ(again.Card(1).monitor[kDigital][0], 3) << "the digital input";
    // Devices that followed the sound server follow it again, each with a sound of its own.
    EXPECT_EQ(again.Card(1).input[kDigital].Describe().substr(0, 20), "capture desk.monitor");
    EXPECT_NE(again.Card(1).input[kDigital].Live(), card.input[kDigital].Live());
    EXPECT_EQ(again.Card(1).input[kAnalog].Live()->Name(), "");
    EXPECT_EQ(again.Card(1).playback[kFirstAdat + 1].Live()->Name(), "varnel_pro.1.adat-out-2");
    EXPECT_EQ(again.Card(1).heardOn[kDigital]->Name(), "speakers");
    EXPECT_FALSE(again.Card(1).heardOn[kAnalog]);

    // A daemon of one card keeps the second card's record as a spare one, and its own card's
    // state; the second card's other state has no card to go to.
    CardModel one(1, SteadyModelClock());
    ASSERT_TRUE(ApplyState(one, DescribeState(two), &error)) << error;
    EXPECT_EQ(one.SpareConfig(1)[199], 0xAB);
    EXPECT_EQ(one.SpareConfig(3)[0], 0x5A);
    EXPECT_EQ(one.Card(0).gain, two.Card(0).gain);
}

TEST(SavedStateTest, UnpluggedCardsStayOutAndPlugBackWithTheirState) {
    CardModel two(2, SteadyModelClock());
    two.Card(0).gain = {0x8000, 0x9000};
    two.Card(0).config[199] = 0xAB;
    ASSERT_TRUE(two.Unplug(0)); // nobody listens: out at once

    // The machine still has two cards, one of them out.
    CardModel again(2, SteadyModelClock());
    std::string error;
    ASSERT_TRUE(ApplyState(again, DescribeState(two), &error)) << error;
    EXPECT_EQ(DescribeState(again), DescribeState(two));
    EXPECT_EQ(again.CardCount(), 1);
    ASSERT_TRUE(again.Plug(0));
    EXPECT_EQ(again.Card(0).gain, two.UnpluggedCards()[0].second.gain);
    EXPECT_EQ(again.Card(0).config[199], 0xAB);
    EXPECT_NE(again.Card(0).devnode, again.Card(1).devnode);
}

TEST(SavedStateTest, ADamagedTextChangesNothingAndNamesItsLine) {
    CardModel model(1, SteadyModelClock());
    const std::string pristine = DescribeState(model);
    const std::string header = "varnel-cardd-state=1\n";
    const std::pair<std::string, std::string> damaged[] = {
        {"", "empty"},
        {"varnel-cardd-state=2\ncard.0.gain=1,1\n", "line 1"},
        {header + "card.0.gain=4096,4096\ncard.0.gain=65536,0\n", "line 3"},
        {header + "card.0.monitor.analog=1,2,3\n", "line 2"},
        {header + "card.4.format=1\n", "line 2"},
        {header + "record.0=00\n", "line 2"},
        {header + "card.0.rates=1,2,3\ngarbage\n", "line 3"},
        {header + "card.0.signal.analog-in=playback-sink\n", "line 2"},
        {header + "card.0.output.adat-out-1=sink\n", "line 2"},
        {header + "card.0.signal.analog-in=capturex\n", "line 2"},
        {header + "unplugged.0.gain=1,1\nunplugged.0.number=0\n", "line 2"},
        {header + "unplugged.0.number=0\nunplugged.0.record=00\n", "line 3"},
    };
    for (const auto& [text, where] : damaged) {
        std::string error;
        EXPECT_FALSE(ApplyState(model, text, &error)) << text;
        EXPECT_NE(error.find(where), std::string::npos) << text << " -> " << error;
        EXPECT_EQ(DescribeState(model), pristine) << text;
    }
}

} // namespace
} // namespace simcard
