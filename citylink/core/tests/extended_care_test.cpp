// Which records are extended care, and how the table is ordered.
#include "citylink/core/extended_care.h"
#include "foundation/blanks.h"
#include "foundation/testing/scripted_prompts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace citylink;

namespace {

AttendanceRecord rec(std::string date, std::string need, std::string arrival, std::string departure,
                     std::string reading = "やまだ たろう", std::string birth = "2016/05/03",
                     std::string name = "山田　太郎") {
    return AttendanceRecord(
        {date, "", "", birth, "", "", need, name, reading, "", arrival, departure, "", "", ""});
}

const std::string kShort = "保育短時間";
const std::string kStandard = "保育標準時間";

bool selected(const AttendanceRecord& r, std::optional<CareNeed> need) {
    return isExtendedCare(r, need, CareBands{});
}

struct Computation : ::testing::Test {
    AttendanceTable attendance;
    ValueTable table;
    ScriptedPrompts prompts;
    RecordingLog log;
    bool run(std::optional<CareNeed> need) {
        return Get延長時間_札幌H30(attendance, need, CareBands{}, table, prompts, log);
    }
};

} // namespace

TEST(IsExtendedCare, ShortTimeBandEdges) {
    EXPECT_TRUE(selected(rec("", kShort, "07:45", "15:30"), CareNeed::Short));
    EXPECT_FALSE(selected(rec("", kShort, "08:00", "16:00"), CareNeed::Short)); // limits inside
    EXPECT_TRUE(selected(rec("", kShort, "08:30", "16:01"), CareNeed::Short));
    EXPECT_TRUE(selected(rec("", kShort, "7:59", "12:00"), CareNeed::Short)); // one-digit hour
}

TEST(IsExtendedCare, StandardTimeBandEdges) {
    EXPECT_FALSE(selected(rec("", kStandard, "06:30", "17:59"), CareNeed::Standard));
    EXPECT_FALSE(selected(rec("", kStandard, "06:30", "18:00"), CareNeed::Standard));
    EXPECT_TRUE(selected(rec("", kStandard, "09:00", "18:01"), CareNeed::Standard));
}

TEST(IsExtendedCare, AnOptionNeverSelectsTheOtherCertification) {
    for (const char* a : {"05:00", "08:00", ""})
        for (const char* d : {"23:00", "12:00", ""}) {
            EXPECT_FALSE(selected(rec("", kShort, a, d), CareNeed::Standard)) << a << d;
            EXPECT_FALSE(selected(rec("", kStandard, a, d), CareNeed::Short)) << a << d;
            EXPECT_FALSE(selected(rec("", kShort, a, d), std::nullopt));
            EXPECT_FALSE(selected(rec("", "その他", a, d), CareNeed::Short));
        }
}

TEST(IsExtendedCare, TextsThatAreNoTimesNeverCount) {
    // An empty arrival used to sort before the band start and put the child on the sheet.
    EXPECT_FALSE(selected(rec("", kShort, "", "15:00"), CareNeed::Short));
    EXPECT_FALSE(selected(rec("", kShort, "欠席", "欠席"), CareNeed::Short));
    EXPECT_TRUE(selected(rec("", kShort, "", "16:30"), CareNeed::Short));
    // "7:45" sorted after "16:00" as text and became a late departure.
    EXPECT_FALSE(selected(rec("", kStandard, "07:00", "7:45"), CareNeed::Standard));
    EXPECT_FALSE(selected(rec("", kShort, "08:30", "9:45"), CareNeed::Short));
}

TEST(IsExtendedCare, EveryTwoDigitTimeReadsAsTheGeneralParseReadsIt) {
    // "hh:mm", the export's own form, is read the short way; each such text, hours and minutes
    // out of range included, must decide as the general parse of times does.
    const CareBands bands{};
    for (int h = 0; h < 100; ++h)
        for (int m = 0; m < 100; ++m) {
            char text[8];
            std::snprintf(text, sizeof text, "%02d:%02d", h, m);
            auto t = dates::parseTimeOfDay(text);
            const bool early = t && t->minutesOfDay() < bands.短時間開始.minutesOfDay();
            const bool late = t && t->minutesOfDay() > bands.短時間終了.minutesOfDay();
            EXPECT_EQ(selected(rec("", kShort, text, ""), CareNeed::Short), early) << text;
            EXPECT_EQ(selected(rec("", kShort, "", text), CareNeed::Short), late) << text;
        }
}

TEST(IsExtendedCare, BandsComeFromTheFields) {
    CareBands bands{{7, 30}, {15, 0}, {19, 0}};
    EXPECT_FALSE(isExtendedCare(rec("", kShort, "07:45", "15:00"), CareNeed::Short, bands));
    EXPECT_TRUE(isExtendedCare(rec("", kShort, "07:29", "15:00"), CareNeed::Short, bands));
    EXPECT_FALSE(isExtendedCare(rec("", kStandard, "07:00", "18:30"), CareNeed::Standard, bands));
}

TEST_F(Computation, RowsAreGroupedByChildInDateOrder) {
    // Two children with one reading, born on different days; rows not in date order in the file.
    attendance.append(
        rec("2019/04/03", kShort, "07:00", "15:00", "さとう はな", "2016/01/01", "佐藤　花"));
    attendance.append(
        rec("2019/04/02", kShort, "07:10", "16:30", "さとう はな", "2015/02/02", "佐藤　華"));
    attendance.append(
        rec("2019/04/01", kShort, "07:20", "15:00", "さとう はな", "2016/01/01", "佐藤　花"));
    attendance.append(rec("2019/04/01", kShort, "08:00", "16:00", "あべ けん")); // not extended
    attendance.append(rec("2019/04/05", kShort, "7:50", "", "あべ けん", "2016/03/03", "安部　健"));
    attendance.append(
        rec("2019/04/01", kShort, "07:30", "", "さとう はな", "2015/02/02", "佐藤　華"));
    ASSERT_TRUE(run(CareNeed::Short));
    EXPECT_EQ(log.lines, std::vector<std::string>{"Get延長時間_札幌H30"});
    ASSERT_EQ(table.upperRow(), 5);
    ASSERT_EQ(table.columns(), 8);
    std::vector<std::string> order;
    for (int row = 1; row <= table.upperRow(); ++row)
        order.push_back(std::string(table.get(row, kColChildName)) + " " +
                        std::string(table.get(row, kColDate)));
    EXPECT_EQ(order, (std::vector<std::string>{"安部　健 2019/04/05", "佐藤　華 2019/04/01",
                                               "佐藤　華 2019/04/02", "佐藤　花 2019/04/01",
                                               "佐藤　花 2019/04/03"}));
    // Every cell of one row, times as the record had them.
    EXPECT_EQ(table.get(1, kColChildKey), "あべ けん2016/03/03");
    EXPECT_EQ(table.get(1, kColBirthDate), "2016/03/03");
    EXPECT_EQ(table.get(1, kColCareNeed), kShort);
    EXPECT_EQ(table.get(1, kColArrival), "7:50");
    EXPECT_EQ(table.get(1, kColDeparture), "");
    EXPECT_EQ(table.get(1, kColNameReading), "あべ けん");
}

TEST_F(Computation, AChildWithoutReadingIsKeptApartByName) {
    // Twins whose readings were never entered: one birth date, no reading.
    attendance.append(rec("2019/04/01", kShort, "07:00", "", "", "2016/01/01", "佐藤　空"));
    attendance.append(rec("2019/04/01", kShort, "07:10", "", " ", "2016/01/01", "佐藤　海"));
    attendance.append(rec("2019/04/02", kShort, "07:20", "", "", "2016/01/01", "佐藤　空"));
    ASSERT_TRUE(run(CareNeed::Short));
    ASSERT_EQ(table.upperRow(), 3);
    std::vector<std::string> keys;
    for (int row = 1; row <= table.upperRow(); ++row)
        keys.push_back(std::string(table.get(row, kColChildKey)) + " " +
                       std::string(table.get(row, kColNameReading)) + " " +
                       std::string(table.get(row, kColDate)));
    // Two keys, each child's rows together, the name standing in for the reading.
    EXPECT_EQ(keys, (std::vector<std::string>{"佐藤　海2016/01/01 佐藤　海 2019/04/01",
                                              "佐藤　空2016/01/01 佐藤　空 2019/04/01",
                                              "佐藤　空2016/01/01 佐藤　空 2019/04/02"}));
}

TEST_F(Computation, EachRunStartsFromAnEmptyTable) {
    attendance.append(rec("2019/04/01", kStandard, "07:00", "19:00"));
    ASSERT_TRUE(run(CareNeed::Standard));
    EXPECT_EQ(table.upperRow(), 1);
    ASSERT_TRUE(run(CareNeed::Short));
    EXPECT_EQ(table.upperRow(), 0);
    ASSERT_TRUE(run(std::nullopt));
    EXPECT_EQ(table.upperRow(), 0);
    EXPECT_TRUE(prompts.messages.empty());
}

// The table is filled in its final order: the same table as filling it in the records' order
// and sorting it once by reading, birth date and date, on exports as they come (each child's
// days together, in date order) and on odd ones (a child's days split and out of order, equal
// dates, readings shared by children and left blank).
TEST_F(Computation, TheTableIsTheOneSortedAfterFilling) {
    auto plainWay = [&](CareNeed need) {
        ValueTable plain;
        plain.reset(kExtendedCareColumns);
        for (const AttendanceRecordView r : attendance) {
            if (!isExtendedCare(r, need, CareBands{}))
                continue;
            std::string_view reading = r.nameReading();
            if (blanks::trim(reading).empty())
                reading = r.childName();
            int row = plain.appendRow();
            plain.set(row, kColChildKey, std::string(reading) + std::string(r.birthDate()));
            plain.set(row, kColChildName, r.childName());
            plain.set(row, kColBirthDate, r.birthDate());
            plain.set(row, kColCareNeed, r.careNeed());
            plain.set(row, kColDate, r.date());
            plain.set(row, kColArrival, r.arrival());
            plain.set(row, kColDeparture, r.departure());
            plain.set(row, kColNameReading, reading);
        }
        plain.sort(1, plain.upperRow(), {{kColNameReading}, {kColBirthDate}, {kColDate}});
        return plain;
    };
    const char* readings[] = {"あべ", "いとう", "", " ", "あべ", "うえだ"};
    const char* births[] = {"2016/01/01", "2015/12/31", "2016/01/01"};
    const char* arrivals[] = {"07:00", "07:10", "08:30", "7:05"};
    unsigned seed = 7;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int shape = 0; shape < 3; ++shape) {
        attendance = AttendanceTable();
        for (int child = 0; child < 12; ++child) {
            const std::string reading = readings[child % 6];
            const std::string birth = births[child % 3];
            const std::string name = "園児" + std::to_string(child % 8);
            for (int d = 1; d <= 20; ++d) {
                // Shape 0: as exported; 1: days out of order and repeated; 2: children interleaved.
                int day = shape == 1 ? 1 + static_cast<int>(next(9)) : d;
                char date[16];
                std::snprintf(date, sizeof date, "2019/04/%02d", day);
                attendance.append(rec(date, kShort, arrivals[next(4)], next(3) ? "" : "16:30",
                                      reading, birth, name));
                if (shape == 2 && next(4) == 0)
                    attendance.append(
                        rec(date, kShort, "06:50", "", readings[next(6)], births[next(3)], name));
                // Other care needs between, one of them as long as the short-time text.
                if (next(5) == 0)
                    attendance.append(rec(date, next(2) ? kStandard : "保育長時間", "06:00",
                                          next(2) ? "18:30" : "17:00", reading, birth, name));
            }
        }
        for (CareNeed need : {CareNeed::Short, CareNeed::Standard}) {
            ASSERT_TRUE(run(need));
            ValueTable plain = plainWay(need);
            ASSERT_EQ(table.upperRow(), plain.upperRow()) << shape;
            ASSERT_GT(table.upperRow(), need == CareNeed::Short ? 100 : 5);
            for (int row = 1; row <= table.upperRow(); ++row)
                for (int col = 0; col < kExtendedCareColumns; ++col)
                    ASSERT_EQ(table.get(row, col), plain.get(row, col))
                        << "shape " << shape << " row " << row << " column " << col;
        }
    }
}

TEST(ValueTable, OperationsAndStableSort) {
    ValueTable t;
    t.reset(3);
    EXPECT_EQ(t.upperRow(), 0);
    t.sort(1, 0, {{0}}); // an empty range is no error
    for (const char* v : {"b", "a", "b", "a"}) {
        int row = t.appendRow();
        t.set(row, 0, v);
        t.set(row, 1, std::to_string(row));
    }
    t.sort(1, 4, {{0}});
    std::string seq;
    for (int r = 1; r <= 4; ++r)
        seq += std::string(t.get(r, 0)) + std::string(t.get(r, 1));
    EXPECT_EQ(seq, "a2a4b1b3"); // equal keys keep their order
    t.sort(2, 3, {{1, false}});
    EXPECT_EQ(t.get(2, 1), "4");
    EXPECT_EQ(t.get(4, 1), "3");
    EXPECT_THROW(t.get(5, 0), std::out_of_range);
    EXPECT_THROW(t.set(1, 3, ""), std::out_of_range);
    EXPECT_THROW(t.sort(1, 4, {{0}, {1}, {2}, {0}}), std::invalid_argument);
    t.reset(8);
    EXPECT_EQ(t.upperRow(), 0);
    EXPECT_EQ(t.get(t.appendRow(), 7), "");
    // A value taken from the table itself survives the texts' buffer moving.
    for (int i = 0; i < 100; ++i) {
        int row = t.appendRow();
        t.set(row, 0, std::string(40, static_cast<char>('a' + i % 26)));
        t.set(row, 1, t.get(row, 0));
        t.set(row, 0, "overwritten");
        ASSERT_EQ(t.get(row, 1), std::string(40, static_cast<char>('a' + i % 26)));
    }
}

TEST(ValueTable, SortMovesWholeRowsWithinTheRange) {
    // Rows of a key and a payload that says where the row started; the rows outside the range
    // must not move, and every row must arrive whole.
    ValueTable t;
    t.reset(3);
    std::vector<std::pair<std::string, int>> expected;
    unsigned seed = 7;
    for (int i = 1; i <= 200; ++i) {
        seed = seed * 1103515245u + 12345u;
        std::string key(1, static_cast<char>('a' + (seed >> 16) % 7));
        int row = t.appendRow();
        t.set(row, 0, key);
        t.set(row, 1, std::to_string(i));
        t.set(row, 2, key + std::string(20, 'x') + std::to_string(i)); // not a short string
        if (i >= 11 && i <= 190)
            expected.emplace_back(key, i);
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    t.sort(11, 190, {{0, false}});
    for (int r = 1; r <= 200; ++r) {
        int from = r < 11 || r > 190 ? r : expected[static_cast<std::size_t>(r - 11)].second;
        ASSERT_EQ(t.get(r, 1), std::to_string(from)) << r;
        ASSERT_EQ(t.get(r, 2),
                  std::string(t.get(r, 0)) + std::string(20, 'x') + std::to_string(from));
    }
}

TEST(AttendanceRecord, ColumnsAreNumberedFromOne) {
    AttendanceRecord r = rec("2019/04/01", kShort, "07:00", "16:00");
    EXPECT_EQ(r.column(1), "2019/04/01");
    EXPECT_EQ(r.column(15), "");
    r.setColumn(9, "あべ けん");
    EXPECT_EQ(r.nameReading(), "あべ けん");
    EXPECT_EQ(r.childName(), "山田　太郎"); // neighbours untouched
    EXPECT_EQ(r.column(10), "");
    EXPECT_EQ(r.arrival(), "07:00");
    EXPECT_THROW(r.column(0), std::out_of_range);
    EXPECT_THROW(r.setColumn(16, "x"), std::out_of_range);
    EXPECT_EQ(AttendanceRecord().column(8), "");
}

TEST(AttendanceTable, RecordsKeepTheirOwnValuesWhateverTheyShare) {
    AttendanceTable t;
    t.append(rec("2019/04/01", kShort, "07:00", "16:00"));
    t.append(rec("2019/04/02", kShort, "07:00", "", "", "2016/05/03", "")); // mostly repeats
    t.append(t.at(1)); // a record of the table itself
    ASSERT_EQ(t.count(), 3u);
    EXPECT_EQ(t.at(2).date(), "2019/04/02");
    EXPECT_EQ(t.at(2).arrival(), "07:00");
    EXPECT_EQ(t.at(2).departure(), "");
    EXPECT_EQ(t.at(2).childName(), "");
    EXPECT_TRUE(t.at(3) == rec("2019/04/01", kShort, "07:00", "16:00"));

    // Changing a value the neighbours share changes this record only.
    t.setColumn(2, 11, "06:30");
    EXPECT_EQ(t.at(2).arrival(), "06:30");
    EXPECT_EQ(t.at(1).arrival(), "07:00");
    EXPECT_EQ(t.at(3).arrival(), "07:00");
    EXPECT_THROW(t.setColumn(4, 1, "x"), std::out_of_range);
    EXPECT_THROW(t.setColumn(1, 16, "x"), std::out_of_range);

    // Equal content is equal however it is stored.
    AttendanceTable copy;
    for (const AttendanceRecordView r : t)
        copy.append(AttendanceRecord(r));
    EXPECT_EQ(copy, t);
    copy.setColumn(3, 15, "備考");
    EXPECT_FALSE(copy == t);
    t.clear();
    EXPECT_TRUE(t.empty());
    EXPECT_THROW(t.at(1), std::out_of_range);
}
