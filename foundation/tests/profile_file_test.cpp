// The profile-file rules on exact bytes.
#include "foundation/cp932.h"
#include "foundation/profile_file.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

using profile_file::getString;
using profile_file::setValue;

namespace {

std::string sj(std::string_view utf8) {
    return cp932::fromUtf8(utf8);
}

TEST(ProfileRead, NamesCompareWithoutCaseAndBlanksAreIgnored) {
    std::string f = "[Layout2024]\r\n"
                    "  SheetName \t=\t  Sheet1  \r\n"
                    "[ \tSpaced\t ]\r\n"
                    "key=v\r\n";
    EXPECT_EQ(getString(f, "layout2024", "SHEETNAME"), "Sheet1");
    EXPECT_EQ(getString(f, "LAYOUT2024", "sheetname"), "Sheet1");
    EXPECT_EQ(getString(f, "Spaced", "KEY"), "v");
    EXPECT_EQ(getString(f, " Spaced ", " key "), "v");
}

TEST(ProfileRead, MissingAndEmptyReadAsEmpty) {
    std::string f = "[s]\r\nempty=\r\nbare\r\nblank=   \r\n";
    EXPECT_EQ(getString(f, "s", "empty"), "");
    EXPECT_EQ(getString(f, "s", "bare"), "");
    EXPECT_EQ(getString(f, "s", "blank"), "");
    EXPECT_EQ(getString(f, "s", "nokey"), "");
    EXPECT_EQ(getString(f, "nosection", "empty"), "");
    EXPECT_EQ(getString("", "s", "k"), "");
    EXPECT_TRUE(profile_file::findValue(f, "s", "empty").has_value());
    EXPECT_FALSE(profile_file::findValue(f, "s", "nokey").has_value());
    // A key before any section belongs to none.
    EXPECT_EQ(getString("k=top\r\n[s]\r\n", "s", "k"), "");
}

TEST(ProfileRead, MatchingQuotesAreRemovedOnce) {
    std::string f = "[q]\r\n"
                    "a=\"quoted\"\r\n"
                    "b='single'\r\n"
                    "c=\"\"twice\"\"\r\n"
                    "d=\"mixed'\r\n"
                    "e=\"\r\n"
                    "f=  \" inner blanks \"  \r\n"
                    "g=''\r\n";
    EXPECT_EQ(getString(f, "q", "a"), "quoted");
    EXPECT_EQ(getString(f, "q", "b"), "single");
    EXPECT_EQ(getString(f, "q", "c"), "\"twice\"");
    EXPECT_EQ(getString(f, "q", "d"), "\"mixed'");
    EXPECT_EQ(getString(f, "q", "e"), "\"");
    EXPECT_EQ(getString(f, "q", "f"), " inner blanks ");
    EXPECT_EQ(getString(f, "q", "g"), "");
}

TEST(ProfileRead, CommentsAndFirstWins) {
    std::string f = "[s]\r\n"
                    ";k=comment\r\n"
                    "  ; k=indented comment\r\n"
                    "k=first\r\n"
                    "K=second\r\n"
                    "[S]\r\n"
                    "k=other section\r\n"
                    "only=in second\r\n";
    EXPECT_EQ(getString(f, "s", "k"), "first");
    // Only the first section of a name is searched.
    EXPECT_EQ(getString(f, "s", "only"), "");
    EXPECT_EQ(getString(f, "s", ";k"), "");
}

TEST(ProfileRead, EveryLineEndReads) {
    EXPECT_EQ(getString("[s]\r\na=1\r\nb=2", "s", "b"), "2");
    EXPECT_EQ(getString("[s]\na=1\nb=2\n", "s", "b"), "2");
    EXPECT_EQ(getString("[s]\ra=1\rb=2\r", "s", "b"), "2");
    EXPECT_EQ(getString("[s]\n\ra=1\r\rb=2\r\n", "s", "a"), "1");
    EXPECT_EQ(getString("[s]\r\na=1\r", "s", "a"), "1");
}

TEST(ProfileRead, SectionHeaderForms) {
    // The name runs to the last ']' of the line; text after it is ignored.
    EXPECT_EQ(getString("[a]b] trailing\r\nk=1\r\n", "a]b", "k"), "1");
    // A '[' line without ']' is no header: the keys after it stay in the section before.
    EXPECT_EQ(getString("[s]\r\n[broken\r\nk=1\r\n", "s", "k"), "1");
    EXPECT_EQ(getString("   [s]   \r\nk=1\r\n", "s", "k"), "1");
}

TEST(ProfileRead, Cp932ValuesAndDoubleByteNames) {
    std::string f = "[" + sj("表") + "]\r\n" + sj("ア") + "=" + sj("札幌市　時間外") + "\r\n";
    EXPECT_EQ(cp932::toUtf8(getString(f, sj("表"), sj("ア"))), "札幌市　時間外");
    // ャ is 0x83 0x61, ア 0x83 0x41: the trail bytes differ only in ASCII case and must not match.
    EXPECT_EQ(getString(f, sj("表"), sj("ャ")), "");
    // ゾ ends in 0x5D (']') and ー in 0x5B ('['): neither ends or starts a section header.
    std::string g = "[" + sj("ゾ") + "x]\r\nk=1\r\n[" + sj("ー") + "]\r\nk=2\r\n";
    EXPECT_EQ(getString(g, sj("ゾ") + "x", "k"), "1");
    EXPECT_EQ(getString(g, sj("ゾ"), "k"), "");
    EXPECT_EQ(getString(g, sj("ー"), "k"), "2");
    EXPECT_EQ(getString("[" + sj("ゾ") + "\r\nk=1\r\n", sj("ゾ"), "k"), "");
}

TEST(ProfileRead, LongValuesAreCutAtAWholeCharacter) {
    std::string ascii(1500, 'x');
    EXPECT_EQ(getString("[s]\r\nk=" + ascii + "\r\n", "s", "k"), std::string(1023, 'x'));

    // "あ" is two bytes: 1022 bytes of ASCII and then "あ" would put its lead byte at 1023.
    std::string split = std::string(1022, 'x') + sj("あい");
    EXPECT_EQ(getString("[s]\r\nk=" + split + "\r\n", "s", "k"), std::string(1022, 'x'));
    std::string even = std::string(1021, 'x') + sj("あい");
    EXPECT_EQ(getString("[s]\r\nk=" + even + "\r\n", "s", "k"), std::string(1021, 'x') + sj("あ"));

    // Half-width katakana are single bytes and may end the cut.
    std::string kana = std::string(1022, 'x') + sj("ｱｲ");
    EXPECT_EQ(getString("[s]\r\nk=" + kana + "\r\n", "s", "k"), std::string(1022, 'x') + sj("ｱ"));
    // A NUL in the file ends the value, as in the NUL-terminated buffer of the Windows functions.
    EXPECT_EQ(getString(std::string("[s]\r\nk=ab\0cd\r\n", 14), "s", "k"), "ab");
}

TEST(ProfileWrite, CreatesReplacesAndInserts) {
    EXPECT_EQ(setValue("", "s", "k", "v"), "[s]\r\nk=v\r\n");
    EXPECT_EQ(setValue("", "s", "k", ""), "[s]\r\nk=\r\n");

    // New section after the last line; CR LF first only where the file lacks a last line break.
    EXPECT_EQ(setValue("[a]\r\nx=1\r\n", "b", "k", "v"), "[a]\r\nx=1\r\n[b]\r\nk=v\r\n");
    EXPECT_EQ(setValue("[a]\r\nx=1", "b", "k", "v"), "[a]\r\nx=1\r\n[b]\r\nk=v\r\n");
    EXPECT_EQ(setValue("[a]\nx=1\n", "b", "k", "v"), "[a]\nx=1\n[b]\r\nk=v\r\n");
    EXPECT_EQ(setValue("[a]\rx=1\r", "b", "k", "v"), "[a]\rx=1\r[b]\r\nk=v\r\n");
    EXPECT_EQ(setValue("[a]\r\nx=1\r\n\r\n;end\r\n", "b", "k", "v"),
              "[a]\r\nx=1\r\n\r\n;end\r\n[b]\r\nk=v\r\n");

    // New key right after the last key line of its section (not after its trailing blank lines
    // or comments), or after the header of a section without keys.
    EXPECT_EQ(setValue("[a]\r\nx=1\r\n;c\r\n\r\n[b]\r\ny=2\r\n", "a", "k", "v"),
              "[a]\r\nx=1\r\nk=v\r\n;c\r\n\r\n[b]\r\ny=2\r\n");
    EXPECT_EQ(setValue("[a]\r\n;c\r\n[b]\r\n", "A", "k", "v"), "[a]\r\nk=v\r\n;c\r\n[b]\r\n");
    EXPECT_EQ(setValue("[a]\r\nx=1", "a", "k", "v"), "[a]\r\nx=1\r\nk=v\r\n");
    EXPECT_EQ(setValue("[a]", "a", "k", "v"), "[a]\r\nk=v\r\n");
    EXPECT_EQ(setValue("[a]\nx=1\ny\n[b]\n", "a", "k", "v"), "[a]\nx=1\ny\nk=v\r\n[b]\n");
    // Only the first section of a name takes the key.
    EXPECT_EQ(setValue("[a]\r\n[A]\r\nk=old\r\n", "a", "k", "v"), "[a]\r\nk=v\r\n[A]\r\nk=old\r\n");

    // An existing key keeps its spelling and spacing up to '='; the rest of its line is replaced.
    EXPECT_EQ(setValue("[a]\r\n  Key =  old  \r\nz=9\r\n", "A", "KEY", "new"),
              "[a]\r\n  Key =new\r\nz=9\r\n");
    EXPECT_EQ(setValue("[a]\r\nk=old\r\nk=second\r\n", "a", "k", ""), "[a]\r\nk=\r\nk=second\r\n");
    EXPECT_EQ(setValue("[a]\nk=old", "a", "k", "new"), "[a]\nk=new");
    EXPECT_EQ(setValue("[a]\r\nbare\r\n", "a", "bare", "v"), "[a]\r\nbare=v\r\n");
    EXPECT_EQ(setValue("[a]\r\nk=\"quoted\"\r\n", "a", "k", "x"), "[a]\r\nk=x\r\n");
}

TEST(ProfileWrite, Cp932ValuesReadBack) {
    std::string f = "[" + sj("表") + "]\r\n" + sj("ア") + "=1\r\n";
    // ャ is a different key from ア although their trail bytes differ only in ASCII case.
    std::string g = setValue(f, sj("表"), sj("ャ"), sj("時間外保育利用状況表"));
    EXPECT_EQ(g, f + sj("ャ") + "=" + sj("時間外保育利用状況表") + "\r\n");
    EXPECT_EQ(cp932::toUtf8(getString(g, sj("表"), sj("ャ"))), "時間外保育利用状況表");
    EXPECT_EQ(getString(g, sj("表"), sj("ア")), "1");
    // 0x8160 is the wave dash of code page 932.
    std::string h = setValue("", "s", "k", sj("～"));
    EXPECT_EQ(h, "[s]\r\nk=\x81\x60\r\n");
}

TEST(ProfileWrite, RefusesWhatCouldNotBeReadBack) {
    EXPECT_THROW(setValue("", "s", "k", "a\r\n[x]"), std::invalid_argument);
    EXPECT_THROW(setValue("", "s", "k", "a\nb"), std::invalid_argument);
    EXPECT_THROW(setValue("", "s", "k", std::string("a\0b", 3)), std::invalid_argument);
    EXPECT_THROW(setValue("", "s]", "k", "v"), std::invalid_argument);
    EXPECT_THROW(setValue("", " ", "k", "v"), std::invalid_argument);
    EXPECT_THROW(setValue("", "s", "", "v"), std::invalid_argument);
    EXPECT_THROW(setValue("", "s", "k=1", "v"), std::invalid_argument);
    EXPECT_THROW(setValue("", "s", ";k", "v"), std::invalid_argument);
    EXPECT_THROW(setValue("", "s", "[k]", "v"), std::invalid_argument);
    EXPECT_THROW(setValue("", "s\x81", "k", "v"), std::invalid_argument);
    // Found by the fuzzer: the name is written trimmed, so its end is checked after trimming.
    EXPECT_THROW(setValue("", "x\xf2 ", "k", "v"), std::invalid_argument);
    // A ']' trail byte inside a double-byte character is fine.
    EXPECT_EQ(setValue("", sj("ゾ"), "k", "v"), "[" + sj("ゾ") + "]\r\nk=v\r\n");
}

// A realistic file: Japanese values, comments, odd spacing, mixed line ends. Every write changes
// only its line; the expected files are committed bytes.
TEST(ProfileWrite, GoldenFiles) {
    auto dir = testsupport::sourceDir() / "foundation/tests/data/ini";
    std::string in = testsupport::readBytes(dir / "layout.ini");

    EXPECT_EQ(cp932::toUtf8(getString(in, "2024", "2SheetName")), "短時間");
    EXPECT_EQ(cp932::toUtf8(getString(in, "2024", "FormTitle")), "時間外保育利用状況表（短時間）");
    EXPECT_EQ(getString(in, "2024", "2StartRow"), "8");
    EXPECT_EQ(getString(in, "2023", "2StartRow"), "7");

    std::string out = setValue(in, "2024", "2SheetName", sj("短時間 ～ 令和6年度"));
    out = setValue(out, "2024", "3StartRow", "12");
    out = setValue(out, "2025", "FormTitle", sj("時間外保育利用状況表"));
    out = setValue(out, "2023", "2StartRow", "");
    EXPECT_EQ(out, testsupport::readBytes(dir / "layout.expected.ini"));
}

} // namespace
