#include "driver/ConfigRecord.h"

#include <gtest/gtest.h>
#include <set>

namespace {

TEST(ConfigRecordTest, FieldsSitAtTheirOffsetsLittleEndian) {
    ConfigRecord r;
    r.Set(ConfigField::Clock1DefaultRate, 44100); // 0x0000AC44
    auto bytes = r.Bytes();
    EXPECT_EQ(bytes[136], 0x44);
    EXPECT_EQ(bytes[137], 0xAC);
    EXPECT_EQ(bytes[138], 0x00);
    r.Set(ConfigField::OfferedDevice, -1);
    EXPECT_EQ(bytes[184], 0xFF);
    EXPECT_EQ(bytes[187], 0xFF);
    EXPECT_EQ(r.Get(ConfigField::OfferedDevice), -1);
    EXPECT_EQ(r.Get(ConfigField::Clock1DefaultRate), 44100);
}

TEST(ConfigRecordTest, FlagsAreWrittenAsMinusOneAndZeroAndReadOnForAnyNonZero) {
    ConfigRecord r;
    r.SetFlag(ConfigField::CardIsMaster, true);
    EXPECT_EQ(r.Get(ConfigField::CardIsMaster), -1);
    r.SetFlag(ConfigField::CardIsMaster, false);
    EXPECT_EQ(r.Get(ConfigField::CardIsMaster), 0);
    EXPECT_FALSE(r.Flag(ConfigField::CardIsMaster));
    for (std::int32_t v : {1, 2, -5, 0x100})
        EXPECT_TRUE((r.Set(ConfigField::RestrictDevices, v), r.Flag(ConfigField::RestrictDevices)));
}

TEST(ConfigRecordTest, UnlistedBytesSurviveEveryFieldWrite) {
    ConfigBlock block;
    auto* raw = static_cast<std::uint8_t*>(block.Data());
    for (std::size_t i = 0; i < ConfigBlock::kSize; ++i)
        raw[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const ConfigBlock before = block;
    for (std::size_t card = 0; card < ConfigBlock::kCards; ++card)
        for (const auto& f : ConfigFields())
            block[card].Set(f.field, block[card].Get(f.field));
    EXPECT_EQ(block, before);

    std::set<std::size_t> named;
    for (const auto& f : ConfigFields())
        for (std::size_t i = 0; i < 4; ++i)
            named.insert(static_cast<std::size_t>(f.field) + i);
    block[2].Set(ConfigField::LatencyMs, 0);
    block[2].SetFlag(ConfigField::WriteIsPlayCursor, true);
    for (std::size_t i = 0; i < ConfigRecord::kSize; ++i)
        if (!named.count(i)) {
            EXPECT_EQ(block[2].Bytes()[i], before[2].Bytes()[i]) << "byte " << i;
        }
    EXPECT_EQ(block[1], before[1]);
}

TEST(ConfigRecordTest, TheFieldTableNamesThirtyFieldsWithoutOverlap) {
    auto fields = ConfigFields();
    EXPECT_EQ(fields.size(), 30u);
    for (std::size_t i = 1; i < fields.size(); ++i)
        EXPECT_GE(static_cast<int>(fields[i].field), static_cast<int>(fields[i - 1].field) + 4);
    EXPECT_LE(static_cast<int>(fields.back().field) + 4, 200);
}

} // namespace
