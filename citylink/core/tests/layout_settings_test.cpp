// The layout file: seeding of the first fiscal year, and the reader's choice of section, keys and
// every way it refuses.
#include "citylink/core/layout_settings.h"
#include "citylink/core/program_caption.h"
#include "citylink/core/tests/test_printers.h"
#include "foundation/cp932.h"
#include "foundation/mdl_system_ini.h"
#include "foundation/testing/scripted_prompts.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

using namespace citylink;
using namespace std::chrono;
using MdlSystemINI::GetIniString;
using MdlSystemINI::PutIniString;

namespace {

const std::string& kCaption = programCaption();
const RecordedMessage kFailed{MsgIcon::Information, "エラー", "連携用情報の取得に失敗しました。"};

dates::Date ym(int y, unsigned m) {
    return dates::Date{year{y}, month{m}, day{1}};
}

struct Layout : ::testing::Test {
    testsupport::ScratchDir dir;
    std::filesystem::path ini = dir / "札幌市連携.INI";
    ScriptedPrompts prompts;
    RecordingLog log;
    CityLayout out;

    // Seeds 2018 and sets the two item numbers so that the year is usable.
    // (Written once and copied: each profile write replaces the file safely, which takes time.)
    void seedUsable() {
        static const std::string seeded = [] {
            testsupport::ScratchDir tmp;
            auto file = tmp / "seed.INI";
            Init札幌市帳票管理(file);
            PutIniString(file, "2018", "4-1", "1");
            PutIniString(file, "2018", "4-2", "2");
            return testsupport::readBytes(file);
        }();
        testsupport::writeBytes(ini, seeded);
    }
    bool load(dates::Date month, CareNeed need = CareNeed::Short) {
        prompts.messages.clear();
        return M札幌市帳票管理(ini, month, need, out, prompts, log, kCaption);
    }
};

} // namespace

TEST_F(Layout, FreshInstallSeedsTheFirstYearOnce) {
    Init札幌市帳票管理(ini);
    const std::string expected = testsupport::readBytes(ini);
    // The keys in their fixed order, then the two item numbers left empty (no section "2016").
    std::string utf8 = "[2018]\r\n"
                       "1-1=時間外保育利用状況表\r\n"
                       "2-0=利用状況表（保育短時間）\r\n2-1=6\r\n2-2=X\r\n2-9=4\r\n2-11=U\r\n"
                       "2-12=T\r\n2-14=C\r\n2-15=D\r\n2-16=F\r\n2-17=H\r\n2-18=J\r\n"
                       "3-0=保育標準時間\r\n3-1=6\r\n3-2=X\r\n3-9=2\r\n3-11=U\r\n"
                       "3-12=T\r\n3-14=C\r\n3-15=D\r\n3-16=F\r\n3-17=H\r\n3-18=J\r\n"
                       "4-1=\r\n4-2=\r\n";
    EXPECT_EQ(expected, cp932::fromUtf8(utf8));
    Init札幌市帳票管理(ini);
    EXPECT_EQ(testsupport::readBytes(ini), expected);

    // Right after installation the year is set up but unusable until the item numbers are set.
    EXPECT_FALSE(load(ym(2018, 4)));
    EXPECT_EQ(prompts.messages, std::vector<RecordedMessage>{kFailed});
}

TEST_F(Layout, ASeedingThatCannotBeWrittenSaysSo) {
    // A folder that is not there stands for one that cannot be written (tests may run as root).
    EXPECT_FALSE(Init札幌市帳票管理(dir / "missing" / "札幌市連携.INI"));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    EXPECT_TRUE(Init札幌市帳票管理(ini));
    EXPECT_TRUE(Init札幌市帳票管理(ini)); // already seeded: nothing to write
}

TEST_F(Layout, ItemNumbersAreCopiedFromTheOldYear) {
    PutIniString(ini, "2016", "4-1", "3");
    PutIniString(ini, "2016", "4-2", "5");
    Init札幌市帳票管理(ini);
    EXPECT_EQ(GetIniString(ini, "2018", "4-1"), "3");
    EXPECT_EQ(GetIniString(ini, "2018", "4-2"), "5");
    EXPECT_TRUE(load(ym(2019, 3)));
}

TEST_F(Layout, TheTargetMonthsFiscalYearPicksTheSection) {
    seedUsable();
    ASSERT_TRUE(load(ym(2019, 3)));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(log.lines.back(), "M札幌市帳票管理の読み込み");
    EXPECT_EQ(out.FormTitle, "時間外保育利用状況表");
    EXPECT_EQ(out.PasteLayout, (PasteLayout{"利用状況表（保育短時間）", 6, "X", 4, "U", "T", "C",
                                            "D", "F", "H", "J"}));
    EXPECT_EQ(out.DisabilityItemNo, 1);
    EXPECT_EQ(out.ReductionItemNo, 2);

    ASSERT_TRUE(load(ym(2019, 3), CareNeed::Standard));
    EXPECT_EQ(out.PasteLayout.SheetName, "保育標準時間");
    EXPECT_EQ(out.PasteLayout.RowsPerChild, 2);

    const CityLayout before = out;
    EXPECT_FALSE(load(ym(2019, 4)));
    EXPECT_EQ(prompts.messages,
              (std::vector<RecordedMessage>{{MsgIcon::Information, std::string(kCaption),
                                             "設定画面から2019年度の設定を行ってください。"}}));
    EXPECT_EQ(out, before);
}

TEST_F(Layout, AMissingFileOrEmptyTitleMeansTheYearIsNotSetUp) {
    EXPECT_FALSE(load(ym(2019, 5)));
    EXPECT_EQ(prompts.messages.at(0).text, "設定画面から2019年度の設定を行ってください。");
    EXPECT_FALSE(std::filesystem::exists(ini));

    seedUsable();
    PutIniString(ini, "2018", "1-1", "");
    EXPECT_FALSE(load(ym(2018, 12)));
    EXPECT_EQ(prompts.messages.at(0).text, "設定画面から2018年度の設定を行ってください。");
    PutIniString(ini, "2018", "1-1", "  "); // the profile format drops blanks around values
    EXPECT_FALSE(load(ym(2018, 12)));
    EXPECT_EQ(prompts.messages.at(0).text, "設定画面から2018年度の設定を行ってください。");
}

TEST_F(Layout, EveryBrokenValueFailsWithTheSameMessage) {
    struct Case {
        const char* key;
        const char* value;
        bool ok;
    };
    const Case cases[] = {
        {"4-1", "0", false},     {"4-1", "6", false},  {"4-1", "5", true},    {"4-2", "", false},
        {"4-2", "x", false},     {"2-1", "0", false},  {"2-1", "abc", false}, {"2-1", "", false},
        {"2-1", "70000", false}, {"2-1", " 7 ", true}, {"2-9", "0", false},   {"2-0", "  ", false},
        {"2-2", "", false},      {"2-11", " ", false}, {"2-12", "", false},   {"2-14", "", true},
        {"2-18", "", true},
    };
    for (const Case& c : cases) {
        seedUsable();
        PutIniString(ini, "2018", c.key, c.value);
        EXPECT_EQ(load(ym(2018, 6)), c.ok) << c.key << "=" << c.value;
        if (!c.ok) {
            EXPECT_EQ(prompts.messages, std::vector<RecordedMessage>{kFailed}) << c.key;
        }
        // The standard-time sheet never reads the short-time keys.
        if (c.key[0] == '2') {
            EXPECT_TRUE(load(ym(2018, 6), CareNeed::Standard)) << c.key << "=" << c.value;
        }
        std::filesystem::remove(ini);
    }
}

TEST(ToInt16, ConvertsLikeTheWindowsPeers) {
    EXPECT_EQ(toInt16("6"), 6);
    EXPECT_EQ(toInt16(" -12 "), -12);
    EXPECT_EQ(toInt16("+3"), 3);
    EXPECT_EQ(toInt16("32767"), 32767);
    EXPECT_EQ(toInt16("-32768"), -32768);
    EXPECT_EQ(toInt16("2.5"), 2);
    EXPECT_EQ(toInt16("3.5"), 4);
    EXPECT_EQ(toInt16("2.51"), 3);
    for (const char* bad :
         {"", " ", "32768", "-32769", "abc", "1a", "-", ".", "1e3", "99999999999"})
        EXPECT_FALSE(toInt16(bad)) << bad;
}
