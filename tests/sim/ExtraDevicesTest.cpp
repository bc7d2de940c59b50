#include "sim/model/ExtraDevices.h"

#include <gtest/gtest.h>

namespace simcard {
namespace {

TEST(ExtraDevicesTest, NamesKeepTheirBlanksAndBadLinesAreNamed) {
    std::vector<ExtraDevice> devices;
    std::string error;
    ASSERT_TRUE(ParseExtraDevices("# comment\n\nin 190 8 Analog Record \r\nout 5 1 Speaker\n",
                                  devices, &error))
        << error;
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].direction, WaveDirection::In);
    EXPECT_EQ(devices[0].name, "Analog Record ");
    EXPECT_EQ(devices[1].manufacturerId, 5);
    EXPECT_FALSE(ParseExtraDevices("in 190 8 ok\nsideways 1 2 x\n", devices, &error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_FALSE(ParseExtraDevices("in 70000 8 big\n", devices, &error));
    EXPECT_FALSE(ParseExtraDevices("out 1 2\n", devices, &error));
}

} // namespace
} // namespace simcard
