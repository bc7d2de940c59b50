#include "sim/rundll/ConfigCommandLine.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string_view>;

TEST(ConfigCommandLineTest, AcceptsEachCommandWithTwoAddresses) {
    auto r = ParseConfigCommandLine(
        Args{"Zq40Pro.DRV,DriverConfig", "getconfig", "$1A2F0000", "#1A370000"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.line.command, ConfigCommand::GetConfig);
    EXPECT_EQ(r.line.dataAddress, 0x1A2F0000u);
    EXPECT_EQ(r.line.completionAddress, 0x1A370000u);
    EXPECT_EQ(RecordSize(r.line.command), 800u);
    for (auto [word, size] :
         {std::pair{"getstates", 20u}, {"reconfigurable", 4u}, {"setconfig", 800u}}) {
        auto each = ParseConfigCommandLine(
            Args{"Zq40Pro.DRV,DriverConfig", word, "$01070000", "#010f0000"});
        ASSERT_TRUE(each.ok) << word;
        EXPECT_EQ(RecordSize(each.line.command), size);
        EXPECT_EQ(each.line.word, word);
    }
}

TEST(ConfigCommandLineTest, RefusesEveryMalformedLineNamingTheBadArgument) {
    struct Case {
        Args args;
        const char* mentions;
    };
    const Case cases[] = {
        {{"Zq40Pro.DRV,DriverConfig", "getconfig", "$1A2F0000"}, "expected 4 arguments"},
        {{"zq40pro.drv,driverconfig", "getconfig", "$1A2F0000", "#1A370000"}, "entry point"},
        {{"Zq40Pro.DRV,Other", "getconfig", "$1A2F0000", "#1A370000"}, "entry point"},
        {{"Zq40Pro.DRV,DriverConfig", "GetConfig", "$1A2F0000", "#1A370000"}, "\"GetConfig\""},
        {{"Zq40Pro.DRV,DriverConfig", "getconfig", "$1A2F000", "#1A370000"}, "\"$1A2F000\""},
        {{"Zq40Pro.DRV,DriverConfig", "getconfig", "$1A2F00000", "#1A370000"}, "data block"},
        {{"Zq40Pro.DRV,DriverConfig", "getconfig", "1A2F00000", "#1A370000"}, "data block"},
        {{"Zq40Pro.DRV,DriverConfig", "getconfig", "$1A2F0000", "$1A370000"}, "completion"},
        {{"Zq40Pro.DRV,DriverConfig", "getconfig", "$1A2G0000", "#1A370000"}, "data block"},
        {{"Zq40Pro.DRV,DriverConfig", "getconfig", "$-1A20000", "#1A370000"}, "data block"},
        {{"Zq40Pro.DRV,DriverConfig", "getconfig", "$1A2F0000", "#1A2F0000"}, "same block"},
        {{"Zq40Pro.DRV,DriverConfig", "get\x01", "$1A2F0000", "#1A370000"}, "\\x01"},
    };
    for (const auto& c : cases) {
        auto r = ParseConfigCommandLine(c.args);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(c.mentions), std::string::npos) << r.error;
    }
}

} // namespace
