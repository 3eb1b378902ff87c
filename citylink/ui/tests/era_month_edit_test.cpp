// The era month field: what it shows, what typing and the keys make of it, when it notifies.
#include "citylink/ui/era_month_edit.h"
#include "citylink/ui/tests/key_input.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace std::chrono;

namespace {

dates::Date ymd(int y, unsigned m, unsigned d) {
    return dates::Date{year{y}, month{m}, day{d}};
}

std::optional<year_month> monthOf(const EraMonthEdit& field) {
    if (!field.value())
        return std::nullopt;
    return year_month{field.value()->year(), field.value()->month()};
}

TEST(EraMonthEdit, ShowsAndReadsBackMonthsAroundTheEraChange) {
    EraMonthEdit field;
    field.setValue(ymd(2019, 4, 30));
    EXPECT_EQ(field.text(), QStringLiteral("平成 31年04月"));
    field.setValue(ymd(2019, 5, 1));
    EXPECT_EQ(field.text(), QStringLiteral("令和 01年05月"));

    for (const char* shown : {"平成 31年04月", "令和 01年05月", "令和 06年12月"}) {
        EraMonthEdit other;
        ASSERT_TRUE(other.setValueText(shown)) << shown;
        EXPECT_EQ(other.text(), QString::fromUtf8(shown));
    }
    EraMonthEdit april;
    april.setValueText("平成 31年04月");
    EXPECT_EQ(monthOf(april), year{2019} / April);
    EraMonthEdit may;
    may.setValueText("令和 1年5月"); // the one-digit form the window puts in at load
    EXPECT_EQ(monthOf(may), year{2019} / May);
    EXPECT_EQ(may.text(), QStringLiteral("令和 01年05月"));
}

TEST(EraMonthEdit, StepsMonthsAcrossTheEraChangeAndTheYear) {
    EraMonthEdit field;
    field.setValue(ymd(2019, 4, 30));
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(field.text(), QStringLiteral("令和 01年05月"));
    QTest::keyClick(&field, Qt::Key_Down);
    EXPECT_EQ(field.text(), QStringLiteral("平成 31年04月"));

    field.setValue(ymd(2024, 12, 1));
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(monthOf(field), year{2025} / January);
    QTest::keyClick(&field, Qt::Key_PageDown);
    EXPECT_EQ(monthOf(field), year{2024} / January);
}

TEST(EraMonthEdit, EmptyIsNullAndRefusedTextKeepsTheLastMonth) {
    EraMonthEdit field;
    EXPECT_FALSE(field.value());
    EXPECT_TRUE(field.text().isEmpty());
    QTest::keyClick(&field, Qt::Key_Up); // nothing to step from
    EXPECT_FALSE(field.value());

    field.setValue(ymd(2024, 12, 1));
    type(field, QString());
    EXPECT_FALSE(field.value());
    EXPECT_TRUE(field.text().isEmpty());

    field.setValue(ymd(2024, 12, 1));
    type(field, QStringLiteral("abc"));
    EXPECT_EQ(monthOf(field), year{2024} / December);
    EXPECT_EQ(field.text(), QStringLiteral("令和 06年12月"));
}

TEST(EraMonthEdit, TypingAcceptsEraAndWesternShortForms) {
    EraMonthEdit field;
    type(field, QStringLiteral("令和6年11月"));
    EXPECT_EQ(monthOf(field), year{2024} / November);
    EXPECT_EQ(field.text(), QStringLiteral("令和 06年11月"));
    type(field, QStringLiteral("R1.5"));
    EXPECT_EQ(monthOf(field), year{2019} / May);
    type(field, QStringLiteral("2019/4"));
    EXPECT_EQ(field.text(), QStringLiteral("平成 31年04月"));
    EXPECT_FALSE(EraMonthEdit::parseMonthText("2019/13"));
}

TEST(EraMonthEdit, NotifiesEveryChangeButNotARepeatedValue) {
    EraMonthEdit field;
    QSignalSpy spy(&field, &EraMonthEdit::changed);
    field.setValue(ymd(2024, 12, 1));
    EXPECT_EQ(spy.count(), 1);
    field.setValue(ymd(2024, 12, 1));
    EXPECT_EQ(spy.count(), 1);
    QTest::keyClick(&field, Qt::Key_Down);
    EXPECT_EQ(spy.count(), 2);
    spy.clear();
    QTest::keyClicks(&field, QStringLiteral("x")); // a keystroke, before the text is taken
    EXPECT_GE(spy.count(), 1);
}

} // namespace
