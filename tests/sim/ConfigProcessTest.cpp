// The configuration process's work on the caller's blocks, with the card model as its driver.
#include "sim/rundll/ConfigProcess.h"

#include "platform/SharedArena.h"
#include "platform/Wow16.h"
#include "sim/ArenaBlock.h"
#include "sim/ModelRef.h"
#include "sim/model/CardModel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

struct Played {}; // thrown by the hang and crash hooks, which must not return

using Block = simcard::test::ArenaBlock;

class ConfigProcessTest : public ::testing::Test {
protected:
    ConfigProcessTest() {
        hooks.connect = [this](std::string* error) -> std::unique_ptr<simcard::ICardService> {
            ++connects;
            if (!reachable) {
                *error = "no card daemon";
                return nullptr;
            }
            return std::make_unique<simcard::test::ModelRef>(model);
        };
        hooks.sleep = [this](std::uint32_t ms) { slept += ms; };
        hooks.hang = [this] {
            hung = true;
            throw Played{};
        };
        hooks.crash = [this] {
            crashed = true;
            throw Played{};
        };
    }
    int Run(const std::string& word, const Block& data, const Block& completion,
            const char* entry = "Zq40Pro.DRV,DriverConfig") {
        return RunRaw({entry, word, data.Arg('$'), completion.Arg('#')});
    }
    int RunRaw(const std::vector<std::string>& args) {
        std::vector<std::string_view> views(args.begin(), args.end());
        err.str("");
        return RunConfigProcess(views, SharedArena::Own()->Name().c_str(), hooks, err);
    }

    simcard::CardModel model{2, simcard::SteadyModelClock()};
    ConfigProcessHooks hooks;
    bool reachable = true;
    int connects = 0;
    std::uint32_t slept = 0;
    bool hung = false;
    bool crashed = false;
    std::ostringstream err;
};

TEST_F(ConfigProcessTest, EachCommandFillsTheDataBlockAndThenCompletes) {
    model.SetCardState(2, -7);
    Block states(20), flag(4), config(800), done(4);
    ASSERT_EQ(Run("getstates", states, done), 0) << err.str();
    EXPECT_EQ(states.Int(0), 1);
    EXPECT_EQ(states.Int(4), 1);
    EXPECT_EQ(states.Int(8), -7);
    EXPECT_EQ(done.Int(0), 1);

    std::memset(done.flat, 0, 4);
    ASSERT_EQ(Run("reconfigurable", flag, done), 0);
    EXPECT_EQ(flag.Int(0), 1) << "no device is busy";
    EXPECT_NE(done.Int(0), 0);

    std::memset(done.flat, 0, 4);
    ASSERT_EQ(Run("getconfig", config, done), 0);
    EXPECT_TRUE(
        std::equal(model.Card(1).config.begin(), model.Card(1).config.end(), config.flat + 200));
    config.flat[0] = 0xFF; // RemoveNotice of card 0
    ASSERT_EQ(Run("setconfig", config, done), 0);
    EXPECT_EQ(model.Card(0).config[0], 0xFF);
}

TEST_F(ConfigProcessTest, WithoutADriverGetstatesReportsItUnreachableAndOthersFail) {
    reachable = false;
    Block states(20), config(800), done(4);
    ASSERT_EQ(Run("getstates", states, done), 0);
    EXPECT_EQ(states.Int(0), kDriverUnreachable);
    EXPECT_EQ(states.Int(4), 0);
    EXPECT_EQ(done.Int(0), 1);

    std::memset(done.flat, 0, 4);
    EXPECT_EQ(Run("getconfig", config, done), kExitNoDriver);
    EXPECT_TRUE(config.Zero());
    EXPECT_TRUE(done.Zero()) << "a failure is never reported as done";
    EXPECT_NE(err.str().find("no card daemon"), std::string::npos) << err.str();
}

TEST_F(ConfigProcessTest, TheDriversFaultsArePlayedOut) {
    Block states(20), done(4);
    model.SetConfigFault(simcard::ConfigFault::Slow, 250);
    ASSERT_EQ(Run("getstates", states, done), 0);
    EXPECT_EQ(slept, 250u);
    EXPECT_EQ(done.Int(0), 1);

    std::memset(states.flat, 0, 20);
    std::memset(done.flat, 0, 4);
    model.SetConfigFault(simcard::ConfigFault::Hang);
    EXPECT_THROW(Run("getstates", states, done), Played);
    EXPECT_TRUE(hung);
    model.SetConfigFault(simcard::ConfigFault::Crash);
    EXPECT_THROW(Run("getstates", states, done), Played);
    EXPECT_TRUE(crashed);
    EXPECT_TRUE(states.Zero());
    EXPECT_TRUE(done.Zero());
}

TEST_F(ConfigProcessTest, EveryBadCommandLineWritesNothingAndAsksNoDriver) {
    Block states(20), config(800), done(4), freed(20);
    const std::string data = states.Arg('$'), completion = done.Arg('#');
    const std::string freedArg = freed.Arg('$');
    WOWGlobalUnlockFree16(freed.address);
    freed.address = 0;
    struct Case {
        std::vector<std::string> args;
        const char* mentions;
    } cases[] = {
        {{"Zq40Pro.DRV,DriverSetup", "getstates", data, completion}, "entry point"},
        {{"Zq40Pro.DRV,DriverConfig", "getstate", data, completion}, "unknown command"},
        {{"Zq40Pro.DRV,DriverConfig", "getstates", "$0107000", completion}, "data block"},
        {{"Zq40Pro.DRV,DriverConfig", "getstates", "$0107000G", completion}, "data block"},
        {{"Zq40Pro.DRV,DriverConfig", "getstates", data, "#7FFF0000"}, "no live block"},
        {{"Zq40Pro.DRV,DriverConfig", "getstates", freedArg, completion}, "no live block"},
        {{"Zq40Pro.DRV,DriverConfig", "getconfig", data, completion}, "not 800"},
        {{"Zq40Pro.DRV,DriverConfig", "getstates", data, config.Arg('#')}, "not 4"},
        {{"Zq40Pro.DRV,DriverConfig", "getstates", done.Arg('$'), completion}, "same block"},
        {{"Zq40Pro.DRV,DriverConfig", "getstates", data}, "arguments"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunRaw(c.args), kExitBadCommandLine) << c.mentions;
        EXPECT_NE(err.str().find(c.mentions), std::string::npos) << err.str();
    }
    std::vector<std::string_view> views{"Zq40Pro.DRV,DriverConfig", "getstates", data, completion};
    EXPECT_EQ(RunConfigProcess(views, nullptr, hooks, err), kExitBadCommandLine) << "no arena";
    EXPECT_EQ(RunConfigProcess(views, "/varnel-arena-none", hooks, err), kExitBadCommandLine);
    EXPECT_EQ(connects, 0);
    EXPECT_TRUE(states.Zero());
    EXPECT_TRUE(config.Zero());
    EXPECT_TRUE(done.Zero());
}

// Fills the arena in front of a block of `size` bytes so that the block ends where the arena ends;
// the fillers hold a pattern. Empty when the arena was not empty enough to arrange that.
std::vector<std::unique_ptr<Block>> FillUpTo(DWORD size) {
    constexpr DWORD kBig = 0xFFF0;
    std::vector<std::unique_ptr<Block>> fillers;
    while (true) {
        auto big = std::make_unique<Block>(kBig);
        if (!big->address)
            break;
        fillers.push_back(std::move(big));
    }
    // The gap left at the end: the largest block that still fits (multiples of 16).
    DWORD gap = 0;
    for (DWORD step = 0x8000; step >= 16; step /= 2)
        if (Block probe(gap + step); probe.address)
            gap += step;
    if (gap < size) {
        if (fillers.empty())
            return {};
        fillers.pop_back();
        gap += kBig;
    }
    if (gap > size)
        fillers.push_back(std::make_unique<Block>(gap - size));
    for (const auto& filler : fillers)
        std::memset(filler->flat, 0x5A, filler->size);
    return fillers;
}

TEST_F(ConfigProcessTest, ABlockAtTheArenasEndIsWrittenWithinItsBounds) {
    Block done(4);
    auto fillers = FillUpTo(800);
    ASSERT_FALSE(fillers.empty());
    Block config(800);
    ASSERT_NE(config.address, 0u);
    ASSERT_EQ(Block(16).address, 0u) << "the block is not the arena's last";

    ASSERT_EQ(Run("getconfig", config, done), 0) << err.str();
    EXPECT_EQ(done.Int(0), 1);
    EXPECT_TRUE(std::equal(model.Card(0).config.begin(), model.Card(0).config.end(), config.flat));
    config.flat[799] = 0x11;
    std::memset(done.flat, 0, 4);
    ASSERT_EQ(Run("setconfig", config, done), 0) << err.str();
    std::memset(config.flat, 0, 800);
    ASSERT_EQ(Run("getconfig", config, done), 0) << err.str();
    EXPECT_EQ(config.flat[799], 0x11) << "the block's last byte went to the driver and back";
    for (const auto& filler : fillers)
        EXPECT_TRUE(std::all_of(filler->flat, filler->flat + filler->size,
                                [](std::uint8_t b) { return b == 0x5A; }));
}

} // namespace
