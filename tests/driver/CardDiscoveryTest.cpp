#include "driver/CardDiscovery.h"

#include "driver/ControlHandles.h"
#include "driver/DriverMessages.h"
#include "platform/CardConnection.h"
#include "platform/TimerScheduler.h"
#include "platform/VirtualClock.h"
#include "platform/WaveDevices.h"
#include "sim/model/CardModel.h"
#include "toolkit/Exceptions.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using simcard::WaveDirection;

TEST(CardNameTest, TheLastWordNamesTheCard) {
    EXPECT_EQ(CardFromDeviceName("Analog Record "), 0) << "an empty last word counts as I";
    EXPECT_EQ(CardFromDeviceName("Analog Record I"), 0);
    EXPECT_EQ(CardFromDeviceName("Digital Record II"), 1);
    EXPECT_EQ(CardFromDeviceName("Digital Playback III"), 2);
    EXPECT_EQ(CardFromDeviceName("Analog Playback IV"), 3);
    EXPECT_EQ(CardFromDeviceName("Analog Playback V"), -1);
    EXPECT_EQ(CardFromDeviceName("Analog Playback IIIx"), 2) << "three characters are compared";
    EXPECT_EQ(CardFromDeviceName("Analog Playback ii"), -1) << "case-sensitive";
}

TEST(CardNameTest, ANameWithoutABlankIsReadFromItsSecondCharacter) {
    EXPECT_EQ(CardFromDeviceName("XII"), 1);
    EXPECT_EQ(CardFromDeviceName(" II"), 1);
    EXPECT_EQ(CardFromDeviceName("II"), 0) << "the word is \"I\"";
    EXPECT_EQ(CardFromDeviceName("X"), 0) << "an empty word";
    EXPECT_EQ(CardFromDeviceName(""), 0);
}

TEST(CardNameTest, AdatNamesGiveCardAndPairFromTheChannelNumber) {
    int pair = -1;
    EXPECT_EQ(DevNameChannelPairToCardId("ADAT Record 1-2", 8, pair), 0);
    EXPECT_EQ(pair, 0);
    EXPECT_EQ(DevNameChannelPairToCardId("ADAT Record 7-8", 8, pair), 0);
    EXPECT_EQ(pair, 3);
    EXPECT_EQ(DevNameChannelPairToCardId("ADAT Playback 9-10", 8, pair), 1);
    EXPECT_EQ(pair, 0);
    EXPECT_EQ(DevNameChannelPairToCardId("ADAT Playback 31-32", 8, pair), 3);
    EXPECT_EQ(pair, 3);
    EXPECT_EQ(DevNameChannelPairToCardId("ADAT Playback 39-40", 8, pair), 4) << "a fifth card";

    try {
        DevNameChannelPairToCardId("ADAT Record 12", 8, pair);
        FAIL() << "no separator";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "DevNameChannelPairToCardId: Separator not found.");
    }
    EXPECT_THROW(DevNameChannelPairToCardId("ADAT Record 1-x", 8, pair), EConvertError);
    EXPECT_THROW(DevNameChannelPairToCardId("ADAT Record 1-", 8, pair), EConvertError);
    EXPECT_THROW(DevNameChannelPairToCardId("ADAT 1-2", 0, pair), EConvertError);
    EXPECT_EQ(DevNameChannelPairToCardId("ADAT 1-$80000000", 8, pair), -268435456)
        << "no overflow at the int limit";
    EXPECT_EQ(pair, -1);
}

// The in-process card, counting the reads of its device lists.
class CountingCard : public simcard::CardModel {
public:
    using CardModel::CardModel;
    std::vector<simcard::WaveDeviceCaps> ListDevices(WaveDirection direction) override {
        ++listReads;
        return CardModel::ListDevices(direction);
    }
    int listReads = 0;
};

class CardDiscoveryTest : public ::testing::Test {
protected:
    simcard::CardModel& Use(int cards) {
        auto owned = std::make_unique<CountingCard>(cards, [] { return Clock().NowMs(); });
        model = owned.get();
        InstallCardService(std::move(owned));
        return *model;
    }
    // The first `count` of one card's twelve devices: the four analog and digital ones, then the
    // ADAT pairs, recording before playback.
    void AddCardDevices(const std::string& numeral, int firstChannel, int count = 12) {
        std::vector<simcard::ExtraDevice> devices = {
            {WaveDirection::In, 190, 8, "Analog Record " + numeral},
            {WaveDirection::In, 190, 10, "Digital Record " + numeral},
            {WaveDirection::Out, 190, 7, "Analog Playback " + numeral},
            {WaveDirection::Out, 190, 9, "Digital Playback " + numeral}};
        for (int pair = 0; pair < 4; ++pair) {
            auto channels = std::to_string(firstChannel + 2 * pair) + "-" +
                            std::to_string(firstChannel + 2 * pair + 1);
            devices.push_back({WaveDirection::In, 190, 12, "ADAT Record " + channels});
            devices.push_back({WaveDirection::Out, 190, 11, "ADAT Playback " + channels});
        }
        for (int i = 0; i < count; ++i)
            model->AddExtraDevice(devices.at(static_cast<std::size_t>(i)));
    }
    // The last device of that name in the list.
    DWORD IdOf(WaveDirection direction, const std::string& name) {
        auto devices = model->ListDevices(direction);
        for (std::size_t i = devices.size(); i-- > 0;)
            if (devices[i].name == name)
                return static_cast<DWORD>(i);
        ADD_FAILURE() << "no device " << name;
        return 0;
    }
    void TearDown() override { InstallCardService(nullptr); }
    ScopedVirtualClock clock;
    CountingCard* model = nullptr;
};

TEST_F(CardDiscoveryTest, TwoCardsFillTheirSlotsAndDeviceNodes) {
    Use(2);
    DiscoverCards();
    EXPECT_TRUE(DriverPresent);
    ASSERT_EQ(CardCount, 2);
    for (int card = 0; card < 2; ++card)
        for (int device = 0; device < kSlotsPerCard; ++device) {
            EXPECT_EQ(WaveInSlots[card * 6 + device],
                      model->DeviceIdOf(card, WaveDirection::In, device));
            EXPECT_EQ(WaveOutSlots[card * 6 + device],
                      model->DeviceIdOf(card, WaveDirection::Out, device));
        }
    EXPECT_EQ(CardDevNodes[0], model->Card(0).devnode);
    EXPECT_EQ(CardDevNodes[1], model->Card(1).devnode);
    EXPECT_NE(CardDevNodes[0], CardDevNodes[1]);
    EXPECT_EQ(CardDevNodes[2], 0u);
    EXPECT_EQ(WaveInSlots[12], 0u);
    EXPECT_TRUE(model->Handles().empty()) << "every card-info handle closed again";

    // A discovery reads each direction's list once (an open reads it for its device too), not
    // once per device; the next reading sees what changed.
    EXPECT_EQ(model->listReads, 2 + CardCount);
    const UINT inputs = waveInGetNumDevs();
    {
        const WaveDeviceListReading reading;
        EXPECT_EQ(waveInGetNumDevs(), inputs);
        model->AddExtraDevice({WaveDirection::In, 1, 8, "Another maker's Record"});
        EXPECT_EQ(waveInGetNumDevs(), inputs) << "the list as read";
    }
    EXPECT_EQ(waveInGetNumDevs(), inputs + 1);
}

TEST_F(CardDiscoveryTest, NoCardMeansNoDriver) {
    Use(0);
    DiscoverCards();
    EXPECT_EQ(CardCount, 0);
    EXPECT_FALSE(DriverPresent);
}

TEST_F(CardDiscoveryTest, ElevenMatchingDevicesAreNoCardTwelveOneAndTwentyThreeOne) {
    const struct {
        int matching;
        int cards;
    } rows[] = {{11, 0}, {12, 1}, {23, 1}, {24, 2}};
    for (const auto& row : rows) {
        Use(0);
        AddCardDevices("", 1, std::min(row.matching, 12));
        AddCardDevices("II", 9, std::max(row.matching - 12, 0));
        DiscoverCards();
        EXPECT_EQ(CardCount, row.cards) << row.matching;
        EXPECT_EQ(DriverPresent, row.cards > 0) << row.matching;
    }
}

TEST_F(CardDiscoveryTest, DevicesOfAnotherMakerProductOrNumeralAreNotCounted) {
    Use(0);
    AddCardDevices("", 1, 11);
    model->AddExtraDevice({WaveDirection::In, 1, 8, "Another maker's Record "});
    model->AddExtraDevice({WaveDirection::Out, 190, 99, "Unknown product"});
    model->AddExtraDevice({WaveDirection::In, 190, 8, "Analog Record V"});
    DiscoverCards();
    EXPECT_EQ(CardCount, 0);
    EXPECT_FALSE(DriverPresent);

    Use(1);
    AddCardDevices("II", 9);
    model->AddExtraDevice({WaveDirection::In, 190, 8, "Analog Record V"});
    DiscoverCards();
    EXPECT_EQ(CardCount, 2) << "twenty-four, the V not counted";
}

TEST_F(CardDiscoveryTest, MoreThanFortyEightMatchingDevicesStillMakeFourCards) {
    Use(4);
    AddCardDevices("", 1);   // counted again on card 0's slots
    AddCardDevices("V", 33); // a fifth card: the ADAT slots lie past the tables
    DiscoverCards();
    EXPECT_EQ(CardCount, 4);
    for (int card = 1; card < 4; ++card)
        EXPECT_EQ(CardDevNodes[card], model->Card(card).devnode);
    EXPECT_EQ(WaveOutSlots[0], IdOf(WaveDirection::Out, "Analog Playback "))
        << "the later device of a slot counted twice wins";
}

TEST_F(CardDiscoveryTest, AnAdatNameWithoutSeparatorEndsDiscoveryWithTheConversionError) {
    Use(0);
    AddCardDevices("", 1);
    model->AddExtraDevice({WaveDirection::In, 190, 12, "ADAT Record 9"});
    AddCardDevices("II", 9);
    EXPECT_THROW(DiscoverCards(), EConvertError);
    EXPECT_EQ(CardCount, 0);
    EXPECT_TRUE(DriverPresent);
    EXPECT_EQ(WaveInSlots[0], IdOf(WaveDirection::In, "Analog Record "))
        << "the slots filed before the bad name stay";
    EXPECT_EQ(WaveInSlots[6], 0u) << "card II's devices come after it";
}

TEST_F(CardDiscoveryTest, AFailedCardInfoOpenEndsDiscoveryQuietlyKeepingTheCount) {
    auto& m = Use(3);
    m.Card(1).openFails[int(WaveDirection::Out)][0] = true;
    EXPECT_THROW(DiscoverCards(), EAbort);
    EXPECT_EQ(CardCount, 3);
    EXPECT_NE(CardDevNodes[0], 0u);
    EXPECT_EQ(CardDevNodes[1], 0u);
    EXPECT_EQ(CardDevNodes[2], 0u);
}

TEST_F(CardDiscoveryTest, OpenControlRangeLaysHandlesOutCardMajor) {
    Use(2);
    DiscoverCards();
    ControlHandle handles[16] = {};
    OpenControlRange(0, KindAdat, false, 0, 7, 0, 1, handles);
    auto facts = model->Handles();
    ASSERT_EQ(facts.size(), 16u);
    // Handle 9 is card 1, channel 1: the device of slot 8, ADAT pair 1-2 of card 1.
    std::uint32_t deviceOfHandle9 = 0;
    for (const auto& f : facts)
        if (f.handle == facts[9].handle)
            deviceOfHandle9 = f.deviceId;
    EXPECT_EQ(deviceOfHandle9, model->DeviceIdOf(1, WaveDirection::In, 2));
    EXPECT_EQ(WaveInSlots[8], deviceOfHandle9);
    CloseControlHandles(false, 16, handles);
    for (auto h : handles)
        EXPECT_EQ(h, 0u);
    EXPECT_TRUE(model->Handles().empty());

    ControlHandle none[2] = {};
    OpenControlRange(0, KindAnalog, true, 0, 1, 1, 0, none);
    EXPECT_EQ(none[0], 0u) << "lastCard below firstCard opens nothing";
    EXPECT_THROW(OpenControlRange(0, 3, true, 0, 1, 0, 0, none), EAbort);
    EXPECT_THROW(OpenControlRange(0, KindAnalog, true, 0, 1, 0, 1, none), EAbort)
        << "the array is too short for four handles";
    CloseControlHandles(true, 2, none);
}

TEST_F(CardDiscoveryTest, CloseSkipsNullsAndKeepsAHandleThatFailsToClose) {
    Use(1);
    DiscoverCards();
    ControlHandle handles[3] = {};
    handles[1] = OpenControlHandle(0, 0, true);
    handles[2] = 0xDEAD; // no such handle: the close fails
    CloseControlHandles(true, 3, handles);
    EXPECT_EQ(handles[0], 0u);
    EXPECT_EQ(handles[1], 0u);
    EXPECT_EQ(handles[2], 0xDEADu);
}

TEST_F(CardDiscoveryTest, AFailingOpenRaisesTheSilentAbortAndKeepsWhatWasOpened) {
    auto& m = Use(2);
    DiscoverCards();
    m.Card(1).openFails[int(WaveDirection::In)][1] = true;
    ControlHandle handles[4] = {};
    EXPECT_THROW(OpenControlRange(0, KindDigital, false, 0, 1, 0, 1, handles), EAbort);
    EXPECT_NE(handles[0], 0u);
    EXPECT_NE(handles[1], 0u);
    EXPECT_EQ(handles[2], 0u);
    CloseControlHandles(false, 4, handles);
    EXPECT_TRUE(m.Handles().empty());
}

} // namespace
