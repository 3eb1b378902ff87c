// The export reader: encodings, the field stream, the record rules, on CP932 fixture files.
#include "citylink/core/attendance_csv.h"
#include "foundation/cp932.h"
#include "foundation/dates.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <random>

using namespace citylink;
using testsupport::readBytes;

namespace {

std::string fixture(const char* name) {
    return readBytes(testsupport::sourceDir() / "citylink/core/tests/data" / name);
}

std::vector<std::string> fields(std::string_view text) {
    VbFieldReader reader(text);
    std::vector<std::string> out;
    std::string f;
    while (reader.next(f))
        out.push_back(f);
    return out;
}

using V = std::vector<std::string>;

} // namespace

TEST(VbFieldReader, QuotesBlanksAndDelimiters) {
    EXPECT_EQ(fields(R"("a,b",  c , "d" ,e)"), (V{"a,b", "c", "d", "e"}));
    EXPECT_EQ(fields("a,,b,\r\nc"), (V{"a", "", "b", "", "c"}));
    EXPECT_EQ(fields("a,"), (V{"a", ""}));
    // Line breaks end fields just like commas; every kind of line end.
    EXPECT_EQ(fields("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    // Blank lines are no fields, wherever they are.
    EXPECT_EQ(fields("\r\n\r\na,b\r\n\r\n  \r\n\tc\r\n\r\n"), (V{"a", "b", "c"}));
    EXPECT_EQ(fields(""), V{});
    EXPECT_EQ(fields(" \r\n "), V{});
}

TEST(VbFieldReader, QuotedFieldEdgeCases) {
    EXPECT_EQ(fields("\"line1\r\nline2\",x"), (V{"line1\r\nline2", "x"}));
    EXPECT_EQ(fields(R"("say ""hi""",x)"), (V{R"(say "hi")", "x"}));
    EXPECT_EQ(fields(R"("",x)"), (V{"", "x"}));
    EXPECT_EQ(fields(R"("ab"cd ,x)"), (V{"abcd", "x"}));
    EXPECT_EQ(fields("\"never closed, at all"), (V{"never closed, at all"}));
    // Blanks inside quotes are the value's.
    EXPECT_EQ(fields(R"(" a ")"), (V{" a "}));
}

TEST(DecodeExportText, ChoosesTheEncodingByContent) {
    const std::string utf8 = "日付,園児名\r\n";
    const std::string sjis = cp932::fromUtf8(utf8);

    auto a = decodeExportText(sjis);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->encoding, TextEncoding::Cp932);
    EXPECT_EQ(a->utf8, utf8);

    auto b = decodeExportText(utf8);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->encoding, TextEncoding::Utf8);
    EXPECT_EQ(b->utf8, utf8);

    auto c = decodeExportText("\xEF\xBB\xBF" + utf8);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->encoding, TextEncoding::Utf8);
    EXPECT_EQ(c->utf8, utf8);

    auto ascii = decodeExportText("a,b\r\n");
    ASSERT_TRUE(ascii);
    EXPECT_EQ(ascii->utf8, "a,b\r\n");

    EXPECT_FALSE(decodeExportText("a,\x80\xFF,b"));           // neither
    EXPECT_FALSE(decodeExportText(std::string("a,b\0c", 5))); // NUL: binary or UTF-16
    EXPECT_FALSE(decodeExportText(sjis + "\x82"));            // CP932 cut inside a character
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));                    // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));                // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));            // past U+10FFFF
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80 0123456789abcdef"));
}

TEST(ParseAttendanceCsv, RealExportWithQuotedJapaneseNames) {
    auto r = parseAttendanceCsv(fixture("april2019.csv"));
    ASSERT_TRUE(r.ok()) << r.error->description;
    EXPECT_EQ(r.encoding, TextEncoding::Cp932);
    ASSERT_EQ(r.records.count(), 4u);

    const AttendanceRecordView first = r.records.at(1);
    EXPECT_EQ(first.date(), "2019/04/01"); // one-digit month and day normalised
    EXPECT_EQ(first.column(2), "ひよこ組");
    EXPECT_EQ(first.birthDate(), "2016/05/03");
    EXPECT_EQ(first.careNeed(), "保育短時間");
    EXPECT_EQ(first.childName(), "山田　太郎");
    EXPECT_EQ(first.nameReading(), "やまだ　たろう");
    EXPECT_EQ(first.arrival(), "07:45");
    EXPECT_EQ(first.departure(), "15:30");

    EXPECT_EQ(r.records.at(2).birthDate(), "2016/07/20");          // era form normalised
    EXPECT_EQ(r.records.at(2).column(15), "発熱のため、早退予定"); // comma kept, quotes gone
    EXPECT_EQ(r.records.at(4).childName(), "髙橋　﨑子");          // IBM extension characters
    EXPECT_EQ(r.records.at(4).arrival(), "");
}

TEST(ParseAttendanceCsv, TheSameExportSavedAsUtf8ReadsTheSame) {
    const std::string sjis = fixture("april2019.csv");
    const auto expected = parseAttendanceCsv(sjis).records;
    const std::string utf8 = cp932::toUtf8(sjis);
    for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8}) {
        auto r = parseAttendanceCsv(bytes);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.encoding, TextEncoding::Utf8);
        EXPECT_EQ(r.records, expected);
    }
}

TEST(ParseAttendanceCsv, LineBreaksDoNotDecideWhereARecordStarts) {
    auto r = parseAttendanceCsv(fixture("line_breaks.csv"));
    ASSERT_TRUE(r.ok()) << r.error->description;
    ASSERT_EQ(r.records.count(), 3u);                // trailing blank lines add nothing
    EXPECT_EQ(r.records.at(1).date(), "2019/04/03"); // the record broken over two lines
    EXPECT_EQ(r.records.at(1).childName(), "山田　太郎");
    EXPECT_EQ(r.records.at(1).arrival(), "7:30");
    EXPECT_EQ(r.records.at(1).column(15), "");
    EXPECT_EQ(r.records.at(2).column(2), "ひよこ組"); // unquoted, blanks around it dropped
    EXPECT_EQ(r.records.at(2).column(3), "101");
    EXPECT_EQ(r.records.at(2).departure(), "17:05");
    EXPECT_EQ(r.records.at(3).column(15), "迎え遅れ\r\n連絡あり");

    auto last = parseAttendanceCsv(fixture("no_final_newline.csv"));
    ASSERT_TRUE(last.ok());
    ASSERT_EQ(last.records.count(), 2u);
    EXPECT_EQ(last.records.at(2).column(15),
              ""); // a last line ending in a comma has its empty field
}

TEST(ParseAttendanceCsv, UnreadableFilesAreErrors) {
    auto headerOnly = parseAttendanceCsv(fixture("header_only.csv"));
    ASSERT_FALSE(headerOnly.ok());
    EXPECT_EQ(headerOnly.error->number, 9);
    EXPECT_TRUE(headerOnly.records.empty());

    auto shortLast = parseAttendanceCsv(fixture("short_last.csv"));
    ASSERT_FALSE(shortLast.ok());
    EXPECT_EQ(shortLast.error->number, 62);
    EXPECT_TRUE(shortLast.records.empty());

    EXPECT_EQ(parseAttendanceCsv("").error->number, 62);
    EXPECT_EQ(parseAttendanceCsv("a,b,c\r\n").error->number, 62);
    EXPECT_EQ(parseAttendanceCsv("\x80\x80\x80").error->number, 5);
    // The export saved as UTF-16 ("Unicode text"): 日 is E5 65 there, a valid CP932 pair.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("h1,h2\r\n"))
        utf16 += std::string{c, '\0'};
    utf16 += "\xE5\x65";
    EXPECT_EQ(parseAttendanceCsv(utf16).error->number, 5);
    // A lead byte cut off by the closing quote must not pair with the text after the quote.
    const std::string header = "h1,h2,h3,h4,h5,h6,h7,h8,h9,h10,h11,h12,h13,h14,h15\r\n";
    EXPECT_EQ(parseAttendanceCsv(header + "\"\x8A\"\x83\x4E,,,,,,,,,,,,,,\r\n").error->number, 5);
    EXPECT_TRUE(parseAttendanceCsv(header + "\"\x8A\x83\"\x83\x4E,,,,,,,,,,,,,,\r\n").ok());
}

TEST(ParseAttendanceCsv, DateColumnsThatAreNoDatesKeepTheirText) {
    std::string csv = "h1,h2,h3,h4,h5,h6,h7,h8,h9,h10,h11,h12,h13,h14,h15\r\n"
                      "2019-4-1 0:00,,,不明,,,,,,,,,,,\r\n"
                      "合計,,,R1.5.1,,,,,,,,,,,\r\n";
    auto r = parseAttendanceCsv(csv);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.records.at(1).date(), "2019/04/01");
    EXPECT_EQ(r.records.at(1).birthDate(), "不明");
    EXPECT_EQ(r.records.at(2).date(), "合計");
    EXPECT_EQ(r.records.at(2).birthDate(), "2019/05/01");
}

TEST(ParseAttendanceCsv, EmptyRowsOfASpreadsheetSaveAreNoRecords) {
    // The export opened in a spreadsheet and saved again: the records as they were, then rows
    // that the sheet had formatted but left empty, one line of 14 commas each.
    const std::string sjis = fixture("april2019.csv");
    const auto expected = parseAttendanceCsv(sjis).records;
    auto r = parseAttendanceCsv(sjis + ",,,,,,,,,,,,,,\r\n , ,,,,,,,,,,,,,\r\n,,,,,,,,,,,,,,\r\n");
    ASSERT_TRUE(r.ok()) << r.error->description;
    EXPECT_EQ(r.records, expected);

    // Nothing but empty rows after the header is still a file without records.
    const std::string header = "h1,h2,h3,h4,h5,h6,h7,h8,h9,h10,h11,h12,h13,h14,h15\r\n";
    EXPECT_EQ(parseAttendanceCsv(header + ",,,,,,,,,,,,,,\r\n").error->number, 9);
    // One value anywhere keeps the record (and its empty date then refuses the month).
    auto one = parseAttendanceCsv(header + ",,,,,,,,,,,,,,x\r\n");
    ASSERT_TRUE(one.ok());
    EXPECT_EQ(one.records.count(), 1u);
}

// What a file may cost in memory is bounded by what it is allowed to hold: records (each has a
// cost of its own however short) and text in UTF-8 (half-width katakana grows threefold).
TEST(ParseAttendanceCsv, TooManyRecordsOrTooMuchTextIsRefused) {
    const std::string header = "h1,h2,h3,h4,h5,h6,h7,h8,h9,h10,h11,h12,h13,h14,h15\r\n";
    std::string many = header;
    many.reserve(header.size() + 20 * (kMaxCsvRecords + 1));
    for (std::size_t i = 0; i < kMaxCsvRecords; ++i)
        many += ",,,,,,,,,,,,,," + std::to_string(i % 10) + "\n";
    auto atLimit = parseAttendanceCsv(many);
    ASSERT_TRUE(atLimit.ok());
    EXPECT_EQ(atLimit.records.count(), kMaxCsvRecords);
    auto over = parseAttendanceCsv(many + ",,,,,,,,,,,,,,x\n");
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.error->number, 7);
    EXPECT_EQ(over.error->description, "レコードが多すぎます（500000件まで）。");

    // A third of the limit in half-width katakana (one byte each in CP932) is the limit itself.
    std::string kana = header + ",,,,,,,,,,,,,,";
    kana += std::string((kMaxCsvTextBytes - kana.size()) / 3 + 1, '\xB1');
    auto tooMuch = parseAttendanceCsv(kana);
    ASSERT_FALSE(tooMuch.ok());
    EXPECT_EQ(tooMuch.error->description, "ファイルの文字が多すぎます。");
    kana.resize(kana.size() - 1);
    EXPECT_TRUE(parseAttendanceCsv(kana).ok());
}

// The import skips a child's repeated class-to-reading stretch and decodes field by field; read
// the plain way instead (the whole text decoded, every field read, both dates judged), generated
// exports with repeats, quoting of every kind and records broken over lines must give the same.
namespace {

using Records = std::vector<std::array<std::string, AttendanceRecord::kFieldCount>>;

std::optional<Records> readPlainly(std::string_view bytes) {
    auto text = decodeExportText(bytes);
    if (!text)
        return std::nullopt;
    VbFieldReader reader(text->utf8);
    Records out;
    std::string f;
    for (int i = 0; i < AttendanceRecord::kFieldCount; ++i)
        if (!reader.next(f))
            return std::nullopt;
    for (;;) {
        std::array<std::string, AttendanceRecord::kFieldCount> record;
        std::size_t got = 0;
        while (got < record.size() && reader.next(record[got]))
            ++got;
        if (got == 0)
            break;
        if (got < record.size())
            return std::nullopt;
        bool blank = true;
        for (const auto& v : record)
            blank = blank && v.find_first_not_of(" \t") == std::string::npos;
        if (blank)
            continue;
        for (std::size_t column : {0u, 3u})
            if (auto d = dates::parseDate(record[column]))
                record[column] = dates::formatYmd(*d);
        out.push_back(std::move(record));
    }
    return out;
}

// One value as a file may hold it: plain, quoted, padded, with a doubled quote or text after the
// closing quote.
std::string written(const std::string& value, std::mt19937& rng) {
    switch (rng() % 6) {
    case 0:
        return value.empty() || value.find_first_of(",\"\r\n") != std::string::npos
                   ? "\"" + value + "\""
                   : value;
    case 1:
        return " \"" + value + "\" ";
    case 2:
        return value.find_first_of(",\"\r\n") != std::string::npos ? "\"" + value + "\""
                                                                   : " " + value + "\t";
    case 3:
        return "\"" + value + "\"\"x\"";
    case 4:
        return "\"" + value + "\"後";
    default:
        return "\"" + value + "\"";
    }
}

} // namespace

TEST(ParseAttendanceCsv, GeneratedExportsReadAsTheFieldsOneByOne) {
    const std::vector<std::array<std::string, 8>> children = {
        {"ひよこ組", "1001", "2018/5/4", "0歳", "男", "保育標準時間", "伊藤　蓮", "いとう　れん"},
        {"ひよこ組", "1002", "H30.6.1", "0歳", "女", "保育短時間", "佐藤　ｱｲ", "さとう, あい"},
        {"うさぎ組", "1003", "不明", "1歳", "女", "保育短時間", std::string(40, 'A') + "子",
         "やまだ\r\nはなこ"},
        {"", "", "", "", "", "", "", ""},
        {"くま組", "1004", "2017/12/31", "2歳", "男", "保育標準時間", std::string(120, 'B'), "x"}};
    const std::vector<std::string> breaks = {",", ",", ",", ",", ",", "\r\n", "\n", "\r"};
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        std::string utf8 = "h1,h2,h3,h4,h5,h6,h7,h8,h9,h10,h11,h12,h13,h14,h15\r\n";
        for (int record = 0; record < 40; ++record) {
            const auto& child = children[rng() % 3 == 0 ? rng() % children.size() : seed % 3];
            std::vector<std::string> values = {"2019/4/" + std::to_string(1 + rng() % 30)};
            values.insert(values.end(), child.begin(), child.end());
            for (std::string v : {"出席", "07:45", "17:10", "0", "0", rng() % 4 ? "" : "遅れ"})
                values.push_back(v);
            if (rng() % 8 == 0)
                values.assign(values.size(), ""); // an empty row of a spreadsheet save
            // Mostly each record written the same way, so that stretches repeat byte for byte.
            std::mt19937 style(rng() % 4 ? seed : rng());
            for (std::size_t i = 0; i < values.size(); ++i) {
                utf8 += written(values[i], style);
                // Records end in a line break, or another one is broken over two lines.
                utf8 += i + 1 == values.size() ? "\r\n" : breaks[style() % breaks.size()];
            }
            if (rng() % 10 == 0)
                utf8 += " \r\n"; // a blank line
        }
        if (seed % 5 == 0)
            utf8 += "\"2019/4/30\",\"ひよこ組\",\"1001\""; // a record cut short
        const std::string sjis = cp932::fromUtf8(utf8);
        const auto expected = readPlainly(sjis);
        const auto got = parseAttendanceCsv(sjis);
        ASSERT_EQ(got.ok(), expected.has_value()) << "seed " << seed;
        if (!expected)
            continue;
        ASSERT_EQ(got.records.count(), expected->size()) << "seed " << seed;
        for (std::size_t r = 0; r < expected->size(); ++r)
            for (std::size_t i = 0; i < AttendanceRecord::kFieldCount; ++i)
                ASSERT_EQ(got.records.at(r + 1).field(i), (*expected)[r][i])
                    << "seed " << seed << " record " << r + 1 << " field " << i;
    }
}

// The import's quick ways (a repeated stretch given to the table as the last record's, the CP932
// check made as the reader goes and skipping what it skips, quoted fields found by words, dates
// kept by their shape, decoded texts remembered per column) against the plain reading, on odd
// exports: children whose fields change in mid-month, values of every length around a word,
// dates that are no dates, long texts, blank records and lines, UTF-8 files, files cut short and
// files with a broken CP932 character anywhere.
TEST(ParseAttendanceCsv, OddExportsReadAsTheFieldsOneByOne) {
    const std::vector<std::string> dates = {
        "2019/04/31", "0000/01/01", "2019/13/01", "H31.4.1",     "2019/4/5",
        "2019/04/1x", "",           "2019-04-07", " 2019/04/08", "２０１９/04/09"};
    const std::vector<std::string> remarks = {"",
                                              "",
                                              "",
                                              "発熱のため、早退",
                                              "迎え：祖母",
                                              "言った\"はい\"",
                                              "ｱｲｳｴｵ",
                                              std::string(40, 'x'),
                                              "長い備考" + std::string(120, 'y'),
                                              "行\r\n替え",
                                              "x"};
    const std::string encodingMessage = "文字コードがCP932（Shift_JIS）でもUTF-8でもありません。";
    for (unsigned seed = 1; seed <= 120; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](const std::vector<std::string>& from) { return from[rng() % from.size()]; };
        std::string utf8 = "日付,クラス,園児番号,生年月日,年齢,性別,保育必要量,園児名,ふりがな,"
                           "出欠,登園時間,降園時間,ユーザー定義1,ユーザー定義2,備考\r\n";
        std::vector<std::string> child = {"ひよこ組", "1001",         "2018/5/4", "0歳",
                                          "男",       "保育標準時間", "伊藤　蓮", "いとう　れん"};
        unsigned styleSeed = seed;
        for (int record = 0; record < 50; ++record) {
            if (rng() % 12 == 0) { // the next child, or this one's class or name changed
                const std::size_t field = rng() % child.size();
                child[field] = rng() % 3 == 0   ? std::string(rng() % 20, 'k')
                               : rng() % 2 == 0 ? child[field] + "子"
                                                : pick(dates);
            }
            if (rng() % 10 == 0)
                styleSeed = rng(); // this child's records written another way from now on
            std::vector<std::string> values = {
                rng() % 6 == 0 ? pick(dates) : "2019/04/" + std::to_string(10 + rng() % 21)};
            values.insert(values.end(), child.begin(), child.end());
            const bool absent = rng() % 4 == 0;
            values.push_back(absent ? "欠席" : "出席");
            values.push_back(absent ? ""
                                    : "0" + std::to_string(7 + rng() % 3) + ":" +
                                          std::to_string(10 + rng() % 50));
            values.push_back(absent ? ""
                                    : std::to_string(16 + rng() % 3) + ":" +
                                          std::to_string(10 + rng() % 50));
            values.push_back(std::to_string(rng() % 2));
            values.push_back(std::string(rng() % 17, '0'));
            values.push_back(pick(remarks));
            if (rng() % 15 == 0)
                values.assign(values.size(), rng() % 2 ? "" : " "); // an empty row
            std::mt19937 style(styleSeed); // records written alike, so that stretches repeat
            for (std::size_t i = 0; i < values.size(); ++i) {
                utf8 += written(values[i], style);
                utf8 += i + 1 == values.size() ? (style() % 3 ? "\r\n" : "\n")
                                               : (style() % 20 ? "," : "\r\n");
            }
            if (rng() % 12 == 0)
                utf8 += "\r\n \r\n";
        }
        std::string bytes =
            seed % 4 == 0 ? (seed % 8 == 0 ? "\xEF\xBB\xBF" : "") + utf8 : cp932::fromUtf8(utf8);
        if (seed % 7 == 0)
            bytes.resize(bytes.size() - 1 - rng() % 30); // cut short, maybe inside a record
        if (seed % 3 == 0) // a lead byte anywhere: whole with what follows, or broken
            bytes.insert(rng() % (bytes.size() + 1), 1, seed % 2 ? '\x82' : '\xE0');
        if (seed % 11 == 0)
            bytes += '\x88'; // a lead byte with nothing after it

        const auto expected = readPlainly(bytes);
        const auto got = parseAttendanceCsv(bytes);
        ASSERT_EQ(got.ok(), expected.has_value()) << "seed " << seed;
        if (!decodeExportText(bytes)) { // refused for that, whatever else is wrong with it
            EXPECT_EQ(got.error->description, encodingMessage) << "seed " << seed;
            continue;
        }
        if (!expected)
            continue;
        AttendanceTable plain;
        for (const auto& record : *expected) {
            std::array<std::string_view, AttendanceRecord::kFieldCount> values;
            std::copy(record.begin(), record.end(), values.begin());
            plain.append(values);
        }
        ASSERT_EQ(got.records.count(), plain.count()) << "seed " << seed;
        for (std::size_t r = 1; r <= plain.count(); ++r)
            for (std::size_t i = 0; i < AttendanceRecord::kFieldCount; ++i)
                ASSERT_EQ(got.records.at(r).field(i), plain.at(r).field(i))
                    << "seed " << seed << " record " << r << " field " << i;
        EXPECT_TRUE(got.records == plain);
    }
}

// A CP932 character broken by a quote ("ab\x82"\x9F reads as the field "abぁ") refuses the file
// for its encoding wherever it stands, before any other fault: in the last field of a good file,
// in a record cut short, in a header cut short, after a record that repeats the one before.
TEST(ParseAttendanceCsv, ABrokenCharacterRefusesTheFileWhateverElseIsWrong) {
    const std::string header = "h1,h2,h3,h4,h5,h6,h7,h8,h9,h10,h11,h12,h13,h14,h15\r\n";
    const std::string record = "2019/04/01,A,1,2018/5/4,0,M,S,N,R,P,08:00,17:00,0,0,";
    const std::string broken = "\"ab\x82\"\x9F";
    for (const std::string& bytes : {
             header + record + broken + "\r\n",
             header + record + "\r\n" + record + broken + "\r\n",
             header + record + "\r\n2019/04/02,A," + broken + ",x\r\n",
             "h1,h2," + broken + "\r\n",
             header + record + "x\r\n" + record + "x\r\n" + record + "\r\n" + broken,
         }) {
        ASSERT_FALSE(decodeExportText(bytes).has_value());
        const auto got = parseAttendanceCsv(bytes);
        ASSERT_FALSE(got.ok()) << bytes;
        EXPECT_EQ(got.error->description,
                  "文字コードがCP932（Shift_JIS）でもUTF-8でもありません。");
        EXPECT_TRUE(got.records.empty());
    }
}

TEST(ReadAttendanceCsvFile, MissingAndDirectory) {
    testsupport::ScratchDir dir;
    EXPECT_EQ(readAttendanceCsvFile(dir / "none.csv").error->number, 53);
    EXPECT_EQ(readAttendanceCsvFile(dir.path()).error->number, 75);
    testsupport::writeBytes(dir / "出席.csv", fixture("april2019.csv"));
    EXPECT_TRUE(readAttendanceCsvFile(dir / "出席.csv").ok());
}
