// The configuration process (the real rundll) and the configuration channel that starts it,
// against a real card daemon.
#include "driver/ConfigChannel.h"
#include "platform/Wow16.h"
#include "sim/ArenaBlock.h"
#include "support/CardDaemonSupport.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

using Block = simcard::test::ArenaBlock;

std::string Hex(const std::uint8_t* bytes, std::size_t n) {
    std::string text;
    char digits[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        text += digits;
    }
    return text;
}

const std::string kEntry = "Zq40Pro.DRV,DriverConfig";

class ConfigProcessE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(daemon.Started());
        ConfigChannelEnabled = 1;
    }
    testsupport::CardDaemon daemon{2};
};

TEST_F(ConfigProcessE2E, RundllCarriesOutEachCommandOnTheCallersBlocks) {
    ASSERT_TRUE(daemon.Ctl({"state", "card", "2", "-9"}));
    Block states(20), flag(4), config(800), done(4);
    auto r =
        testsupport::RunProgram("rundll", {kEntry, "getstates", states.Arg('$'), done.Arg('#')});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(states.Int(0), 1);
    EXPECT_EQ(states.Int(8), -9);
    EXPECT_NE(done.Int(), 0);

    std::memset(done.flat, 0, 4);
    ASSERT_TRUE(daemon.Ctl({"busy", "0", "analog-out", "on"}));
    r = testsupport::RunProgram("rundll", {kEntry, "reconfigurable", flag.Arg('$'), done.Arg('#')});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(flag.Int(), 0) << "a device is busy";
    EXPECT_NE(done.Int(), 0);

    std::memset(done.flat, 0, 4);
    r = testsupport::RunProgram("rundll", {kEntry, "getconfig", config.Arg('$'), done.Arg('#')});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Hex(config.flat + 200, 200), daemon.Status()["card.1.config.raw"]);

    std::memset(done.flat, 0, 4);
    std::memset(config.flat, 0xFF, 4); // RemoveNotice of card 0
    r = testsupport::RunProgram("rundll", {kEntry, "setconfig", config.Arg('$'), done.Arg('#')});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(daemon.Status()["card.0.config.raw"].substr(0, 8), "FFFFFFFF");
    EXPECT_NE(done.Int(), 0);
}

TEST_F(ConfigProcessE2E, RundllRefusesEveryBadCommandLineAndWritesNothing) {
    Block states(20), config(800), done(4);
    DWORD freed = WOWGlobalAllocLock16(GMEM_ZEROINIT, 20, nullptr);
    WOWGlobalUnlockFree16(freed);
    char freedArg[16];
    std::snprintf(freedArg, sizeof freedArg, "$%08X", static_cast<unsigned>(freed));
    const std::string data = states.Arg('$'), completion = done.Arg('#');
    struct Case {
        std::vector<std::string> args;
        const char* mentions;
    } cases[] = {
        {{"Zq40Pro.DRV,DriverConfigX", "getstates", data, completion}, "entry point"},
        {{"zq40pro.drv,driverconfig", "getstates", data, completion}, "entry point"},
        {{kEntry, "GETSTATES", data, completion}, "unknown command"},
        {{kEntry, "getstates", data.substr(0, 8), completion}, "data block address"},
        {{kEntry, "getstates", "$XYZ00000", completion}, "data block address"},
        {{kEntry, "getstates", data, "#0107000"}, "completion block address"},
        {{kEntry, "getstates", data, "#FFF70000"}, "no live block"},
        {{kEntry, "getstates", freedArg, completion}, "no live block"},
        {{kEntry, "getstates", config.Arg('$'), completion}, "not 20"},
        {{kEntry, "setconfig", data, completion}, "not 800"},
        {{kEntry, "getstates", data, config.Arg('#')}, "not 4"},
        {{kEntry, "getstates", data}, "arguments"},
    };
    for (const auto& c : cases) {
        auto r = testsupport::RunProgram("rundll", c.args);
        EXPECT_NE(r.status, 0) << c.mentions;
        EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
    }
    EXPECT_TRUE(states.Zero());
    EXPECT_TRUE(config.Zero());
    EXPECT_TRUE(done.Zero());
    EXPECT_EQ(daemon.Status()["card.0.config.raw"].substr(0, 8), "00000000")
        << "no setconfig reached the driver";
}

TEST_F(ConfigProcessE2E, TheChannelRunsEachCommandThroughRundll) {
    StateRecord states;
    ASSERT_TRUE(RunDriverConfig(1, CFG_GETSTATES, &states, sizeof states));
    EXPECT_EQ(states.DriverState, 1);
    EXPECT_EQ(states.Card(2), 1);
    EXPECT_EQ(states.Card(3), 0);

    std::int32_t flag = 0;
    ASSERT_TRUE(RunDriverConfig(1, CFG_RECONFIGURABLE, &flag, sizeof flag));
    EXPECT_EQ(flag, 1);

    std::uint8_t config[800] = {};
    ASSERT_TRUE(RunDriverConfig(1, CFG_GETCONFIG, config, sizeof config));
    EXPECT_EQ(Hex(config, 200), daemon.Status()["card.0.config.raw"]);
    std::memset(config, 0xFF, 4);
    ASSERT_TRUE(RunDriverConfig(1, CFG_SETCONFIG, config, sizeof config));
    EXPECT_EQ(daemon.Status()["card.0.config.raw"].substr(0, 8), "FFFFFFFF");
}

TEST_F(ConfigProcessE2E, AConfigurationProcessThatCrashesFailsAtOnce) {
    ASSERT_TRUE(daemon.Ctl({"fault", "config", "crash"}));
    StateRecord states{7, {7, 7, 7, 7}};
    const auto start = Clock::now();
    EXPECT_FALSE(RunDriverConfig(1, CFG_GETSTATES, &states, sizeof states));
    EXPECT_LT(Clock::now() - start, milliseconds(1500));
    EXPECT_EQ(states.DriverState, 7);
    EXPECT_EQ(states.Card(1), 7);
}

TEST_F(ConfigProcessE2E, ASlowConfigurationProcessIsWaitedFor) {
    ASSERT_TRUE(daemon.Ctl({"fault", "config", "slow", "300"}));
    StateRecord states;
    const auto start = Clock::now();
    EXPECT_TRUE(RunDriverConfig(1, CFG_GETSTATES, &states, sizeof states));
    EXPECT_GE(Clock::now() - start, milliseconds(300));
    EXPECT_EQ(states.DriverState, 1);
}

// Takes the channel's whole time limit (5 s) by design.
TEST_F(ConfigProcessE2E, AHungConfigurationProcessIsGivenUpAtTheTimeLimit) {
    ASSERT_TRUE(daemon.Ctl({"fault", "config", "hang"}));
    std::uint8_t config[800];
    std::memset(config, 0x5A, sizeof config);
    const auto start = Clock::now();
    EXPECT_FALSE(RunDriverConfig(1, CFG_GETCONFIG, config, sizeof config));
    const auto took = Clock::now() - start;
    EXPECT_GE(took, kConfigTimeLimit);
    EXPECT_LT(took, kConfigTimeLimit + milliseconds(1500));
    for (auto b : config)
        ASSERT_EQ(b, 0x5A);
}

TEST(ConfigProcessNoDaemon, GetstatesSaysTheDriverCannotBeOpened) {
    setenv("VARNEL_CARD_SOCKET", "/nonexistent-varnel/card.sock", 1);
    setenv("VARNEL_NO_AUTOSPAWN", "1", 1);
    ConfigChannelEnabled = 1;
    StateRecord states{1, {1, 1, 1, 1}};
    ASSERT_TRUE(RunDriverConfig(1, CFG_GETSTATES, &states, sizeof states));
    EXPECT_EQ(states.DriverState, -18);
    EXPECT_EQ(states.Card(1), 0);
    std::uint8_t config[800] = {1};
    EXPECT_FALSE(RunDriverConfig(1, CFG_GETCONFIG, config, sizeof config))
        << "nothing to read a configuration from";
    EXPECT_EQ(config[0], 1);
}

} // namespace
