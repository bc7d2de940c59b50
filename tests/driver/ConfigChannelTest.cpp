#include "driver/ConfigChannel.h"

#include "platform/SharedArena.h"
#include "platform/Shell.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(ConfigChannelTest, TheParameterStringCarriesEightUpperCaseDigitsPerAddress) {
    char buffer[256];
    BuildConfigParameters(buffer, "getconfig", 0x1A2F0000, 0x1A370000);
    EXPECT_STREQ(buffer, "Zq40Pro.DRV,DriverConfig getconfig $1A2F0000 #1A370000");
    BuildConfigParameters(buffer, "reconfigurable", 0x01070000, 0x010F0000);
    EXPECT_STREQ(buffer, "Zq40Pro.DRV,DriverConfig reconfigurable $01070000 #010F0000");
    BuildConfigParameters(buffer, "getstates", 0xABCDEF00, 0x0000000F);
    EXPECT_STREQ(buffer, "Zq40Pro.DRV,DriverConfig getstates $ABCDEF00 #0000000F");
}

// With no program directory holding a configuration process, a launch would fail with "file
// not found"; these calls must fail before they get that far and leave the record alone.
class ConfigChannelRefusalTest : public ::testing::Test {
protected:
    void SetUp() override { setenv(kBinDirEnvironment, "/nonexistent-varnel-bin", 1); }
    void TearDown() override { unsetenv(kBinDirEnvironment); }
    std::size_t LiveBlocks() { return SharedArena::Own()->LiveBlocks(); }
};

TEST_F(ConfigChannelRefusalTest, DisabledChannelUnknownCodeAndFailedLaunchLeaveTheRecord) {
    StateRecord record{7, {1, 2, 3, 4}};
    const auto before = LiveBlocks();
    EXPECT_FALSE(RunDriverConfig(0, CFG_GETSTATES, &record, sizeof record));
    EXPECT_FALSE(RunDriverConfig(1, 0x4005, &record, sizeof record));
    EXPECT_FALSE(RunDriverConfig(1, CFG_GETSTATES, &record, sizeof record)) << "no rundll";
    EXPECT_EQ(record.DriverState, 7);
    EXPECT_EQ(record.Card(4), 4);
    EXPECT_EQ(LiveBlocks(), before) << "both blocks freed on every path";
}

TEST_F(ConfigChannelRefusalTest, AFailedAllocationLaunchesNothing) {
    std::int32_t flag = 5;
    SharedArena::SetAllocationFault(true);
    EXPECT_FALSE(RunDriverConfig(1, CFG_RECONFIGURABLE, &flag, sizeof flag));
    SharedArena::SetAllocationFault(false);
    EXPECT_EQ(flag, 5);
}

} // namespace
