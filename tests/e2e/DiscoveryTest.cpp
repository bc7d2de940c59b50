// Card discovery and the configuration record against a real card daemon and the real
// configuration process.
#include "driver/CardDiscovery.h"
#include "driver/ConfigChannel.h"
#include "driver/ConfigRecord.h"
#include "support/CardDaemonSupport.h"
#include "toolkit/Exceptions.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

// The daemon's names of a card's devices, by kind and direction.
std::string DeviceFact(int kind, const char* direction) {
    static const char* const kNames[kSlotsPerCard] = {"analog", "digital", "adat",
                                                      "adat",   "adat",    "adat"};
    std::string name = std::string(kNames[kind]) + "-" + direction;
    return kind >= KindAdat ? name + "-" + std::to_string(kind - 1) : name;
}

// The slot tables and device nodes against what the daemon itself says of its cards.
void ExpectDiscoveryMatches(const testsupport::CardDaemon& daemon, int cards) {
    auto facts = daemon.Status();
    ASSERT_EQ(CardCount, cards);
    EXPECT_EQ(DriverPresent, cards > 0);
    for (int card = 0; card < cards; ++card) {
        const std::string c = "card." + std::to_string(card) + ".";
        EXPECT_EQ(CardDevNodes[card], std::stoul(facts[c + "devnode"], nullptr, 0)) << card;
        for (int k = 0; k < kSlotsPerCard; ++k) {
            const std::string in = facts[c + "device." + DeviceFact(k, "in")];
            const std::string out = facts[c + "device." + DeviceFact(k, "out")];
            ASSERT_FALSE(in.empty() || out.empty()) << c << k;
            EXPECT_EQ(WaveInSlots[card * 6 + k], std::stoul(in)) << c << k;
            EXPECT_EQ(WaveOutSlots[card * 6 + k], std::stoul(out)) << c << k;
        }
    }
}

class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override { ConfigChannelEnabled = 1; }
    // A file of extra devices for the daemon's listing.
    std::string DevicesFile(const std::string& lines) {
        auto path = ::testing::TempDir() + "varnel-devices-" + std::to_string(getpid());
        std::ofstream(path) << lines;
        return path;
    }
};

TEST_F(DiscoveryTest, OneTwoAndFourCardsWithAnotherMakersDeviceAmongThem) {
    for (int cards : {1, 2, 4}) {
        testsupport::CardDaemon daemon(cards,
                                       {"--devices", DevicesFile("in 1 8 Analog Record II\n")});
        ASSERT_TRUE(daemon.Started());
        DiscoverCards();
        ExpectDiscoveryMatches(daemon, cards);
    }
}

TEST_F(DiscoveryTest, OddNamesFromTheListingFollowTheNameRules) {
    // A fifth card's analog devices and a V: counted or not, they never reach the tables.
    testsupport::CardDaemon daemon(4, {"--devices", DevicesFile("in 190 8 Analog Record V\n"
                                                                "out 190 11 ADAT Playback 33-34\n"
                                                                "in 190 12 ADAT Record 35-36\n")});
    ASSERT_TRUE(daemon.Started());
    DiscoverCards();
    ExpectDiscoveryMatches(daemon, 4);

    testsupport::CardDaemon broken(1, {"--devices", DevicesFile("in 190 12 ADAT Record 9\n")});
    ASSERT_TRUE(broken.Started());
    try {
        DiscoverCards();
        FAIL() << "an ADAT name without a separator ends discovery";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "DevNameChannelPairToCardId: Separator not found.");
    }
    EXPECT_EQ(CardCount, 0);
    EXPECT_TRUE(DriverPresent);
}

TEST_F(DiscoveryTest, AConfigurationRoundTripReproducesAllEightHundredBytes) {
    testsupport::CardDaemon daemon(2);
    ASSERT_TRUE(daemon.Started());
    ConfigBlock block;
    ASSERT_TRUE(ReadDriverConfig(block));
    EXPECT_EQ(block[0].Get(ConfigField::Clock1DefaultRate), 44100);
    EXPECT_EQ(block[0].Get(ConfigField::Clock2DefaultRate), 48000);

    // Every byte, named or not, the driver's own or a stranger's, comes back as sent.
    std::mt19937 random(7);
    auto* raw = static_cast<std::uint8_t*>(block.Data());
    for (std::size_t i = 0; i < ConfigBlock::kSize; ++i)
        raw[i] = static_cast<std::uint8_t>(random());
    ConfigBlock sent = block;
    ASSERT_TRUE(WriteDriverConfig(block));
    ConfigBlock again;
    ASSERT_TRUE(ReadDriverConfig(again));
    EXPECT_EQ(again, sent);
}

} // namespace
