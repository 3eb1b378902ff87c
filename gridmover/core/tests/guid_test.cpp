#include "gridmover/core/guid.h"

#include <gtest/gtest.h>

#include <array>

using gridmover::GUID;

namespace {

GUID make(std::int32_t d1, std::int16_t d2, std::int16_t d3, std::array<std::uint8_t, 8> b) {
    GUID g;
    g.Data1 = d1;
    g.Data2 = d2;
    g.Data3 = d3;
    g.Byte1 = b[0];
    g.Byte2 = b[1];
    g.Byte3 = b[2];
    g.Byte4 = b[3];
    g.Byte5 = b[4];
    g.Byte6 = b[5];
    g.Byte7 = b[6];
    g.Byte8 = b[7];
    return g;
}

} // namespace

TEST(Guid, TextAndBytesUseTheFieldsBitPatterns) {
    // Data1 with its top bit set is stored negative; Data2 -12345 is 0xCFC7.
    GUID g = make(static_cast<std::int32_t>(0x89ABCDEFu), -12345, 0x0102,
                  {0x0C, 0x00, 0xA0, 0x01, 0x02, 0x03, 0x04, 0xFF});
    EXPECT_EQ(g.ToString(), "89ABCDEF-CFC7-0102-0C00-A001020304FF");
    std::array<std::uint8_t, 16> b{};
    g.ToBytes(b);
    const std::array<std::uint8_t, 16> want{0xEF, 0xCD, 0xAB, 0x89, 0xC7, 0xCF, 0x02, 0x01,
                                            0x0C, 0x00, 0xA0, 0x01, 0x02, 0x03, 0x04, 0xFF};
    EXPECT_EQ(b, want);
}

TEST(Guid, SmallFieldsKeepTheirLeadingZeros) {
    GUID g = make(0x28C00, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0x46});
    EXPECT_EQ(g.ToString(), "00028C00-0000-0000-0000-000000000046");
    GUID h = make(1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11});
    EXPECT_EQ(h.ToString(), "00000001-0002-0003-0405-060708090A0B");
}

TEST(Guid, ToBytesRefusesAShortArrayWithoutWriting) {
    GUID g = make(-1, -1, -1, {1, 2, 3, 4, 5, 6, 7, 8});
    std::array<std::uint8_t, 20> buffer{};
    EXPECT_THROW(g.ToBytes(std::span(buffer).first(15)), std::out_of_range);
    for (auto v : buffer) {
        EXPECT_EQ(v, 0);
    }
    // A larger array is fine: exactly the first 16 elements are set.
    g.ToBytes(buffer);
    EXPECT_EQ(buffer[15], 8);
    EXPECT_EQ(buffer[16], 0);
}
