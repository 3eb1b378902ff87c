// The care-band file: defaults, loading of loose forms, what is ignored and overwritten.
#include "citylink/core/care_bands.h"
#include "foundation/cp932.h"
#include "foundation/mdl_system_ini.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

using namespace citylink;
using MdlSystemINI::GetIniString;
using MdlSystemINI::PutIniString;

namespace {

struct Bands : ::testing::Test {
    testsupport::ScratchDir dir;
    std::filesystem::path ini = dir / "札幌市連携時間設定.INI";
    std::string get(const char* key) { return GetIniString(ini, kBandsSection, key); }
};

} // namespace

TEST_F(Bands, NoFileKeepsTheDefaultsAndTheFirstCloseWritesThem) {
    CareBands bands;
    Load時間設定(ini, bands);
    EXPECT_EQ(bands, CareBands{});
    EXPECT_EQ(dates::formatHhMm(bands.短時間開始), "08:00");
    EXPECT_FALSE(std::filesystem::exists(ini));

    ASSERT_TRUE(Save時間設定(ini, bands));
    EXPECT_EQ(testsupport::readBytes(ini),
              cp932::fromUtf8("[札幌市連携時間設定]\r\n短時間開始=08:00\r\n短時間終了=16:00\r\n"
                              "標準時間終了=18:00\r\n"));
}

TEST_F(Bands, LooseTimesLoadAndBadTextIsIgnoredThenOverwritten) {
    PutIniString(ini, kBandsSection, "短時間開始", "7:30");
    PutIniString(ini, kBandsSection, "短時間終了", "夕方");
    PutIniString(ini, kBandsSection, "標準時間終了", "2019/04/01 19:05:40");
    CareBands bands;
    Load時間設定(ini, bands);
    EXPECT_EQ(bands.短時間開始, (dates::TimeOfDay{7, 30, 0}));
    EXPECT_EQ(bands.短時間終了, (dates::TimeOfDay{16, 0, 0}));
    EXPECT_EQ(bands.標準時間終了, (dates::TimeOfDay{19, 5, 0}));

    Save時間設定(ini, bands);
    EXPECT_EQ(get("短時間開始"), "07:30");
    EXPECT_EQ(get("短時間終了"), "16:00");
    EXPECT_EQ(get("標準時間終了"), "19:05");
}

TEST_F(Bands, AShortTimeBandThatCannotBeMeantIsNotSaved) {
    ASSERT_TRUE(Save時間設定(ini, CareBands{{7, 30}, {15, 30}, {18, 0}}));
    CareBands reversed{{17, 45}, {4, 5}, {19, 0}};
    EXPECT_TRUE(bandsProblem(reversed));
    EXPECT_FALSE(bandsProblem(CareBands{}));
    ASSERT_TRUE(Save時間設定(ini, reversed));
    // The file keeps the last valid short-time pair; the standard-time end is saved.
    EXPECT_EQ(get("短時間開始"), "07:30");
    EXPECT_EQ(get("短時間終了"), "15:30");
    EXPECT_EQ(get("標準時間終了"), "19:00");
}

TEST(BandTimeFromText, AcceptsTimesOnly) {
    EXPECT_EQ(bandTimeFromText(" 9:05 "), (dates::TimeOfDay{9, 5, 0}));
    for (const char* bad : {"", "2019/04/01", "25:00", "8時", "08:00x", "x 08:00"})
        EXPECT_FALSE(bandTimeFromText(bad)) << bad;
}
