// The main window's care-band fields as the clerk types into them, the bands the run refuses, and
// the names screen readers find the window's inputs by.
#include "citylink/ui/band_time_edit.h"
#include "citylink/ui/main_window.h"
#include "citylink/ui/tests/window_test.h"
#include "foundation/mdl_system_ini.h"
#include "foundation/testing/scripted_prompts.h"
#include "testsupport/test_files.h"

#include <QAccessible>
#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class BandFieldsTest : public WindowTest {
protected:
    BandFieldsTest() : WindowTest({2019, 4, 10, 9, 0, 0}) {}

    std::unique_ptr<Window> open() {
        auto w = WindowTest::open();
        w->show();
        return w;
    }
    std::string savedBand(const char* key) {
        return MdlSystemINI::GetIniString(programDir / "札幌市連携時間設定.INI",
                                          "札幌市連携時間設定", key);
    }
};

void selectAll(QWidget* field) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
}

// One key event carrying the whole text, as an input method commits it.
void commitAsKey(QWidget* field, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(field, &press);
}

QString accessibleName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

} // namespace

TEST_F(BandFieldsTest, AWholeTimeTypedOverASelectAllReplacesTheValueInEveryField) {
    auto w = open();
    for (QTimeEdit* field : {w->短時間開始, w->短時間終了, w->標準時間終了}) {
        SCOPED_TRACE(field->objectName().toStdString());
        selectAll(field);
        QTest::keyClicks(field, "17:00");
        EXPECT_EQ(field->text(), QStringLiteral("17:00"));
        selectAll(field);
        QTest::keyClicks(field, "0730");
        EXPECT_EQ(field->text(), QStringLiteral("07:30"));
        selectAll(field);
        QTest::keyClicks(field, "9");
        QTest::keyClick(field, Qt::Key_Tab);
        EXPECT_EQ(field->time(), QTime(9, 30));
    }

    // Committed at once, half-width or full-width as the Japanese input method gives them.
    selectAll(w->短時間終了);
    commitAsKey(w->短時間終了, QStringLiteral("17:45"));
    EXPECT_EQ(w->短時間終了->text(), QStringLiteral("17:45"));
    selectAll(w->短時間終了);
    commitAsKey(w->短時間終了, QStringLiteral("１６：１５"));
    EXPECT_EQ(w->短時間終了->text(), QStringLiteral("16:15"));
    selectAll(w->標準時間終了);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("１９：０５"));
    QApplication::sendEvent(w->標準時間終了, &commit);
    EXPECT_EQ(w->標準時間終了->text(), QStringLiteral("19:05"));

    // Text that is no time leaves the value as it was.
    selectAll(w->短時間開始);
    commitAsKey(w->短時間開始, QStringLiteral("25:00"));
    EXPECT_EQ(w->短時間開始->text(), QStringLiteral("09:30"));
}

TEST_F(BandFieldsTest, AShortTimeBandThatCannotBeMeantIsRefusedAtTheRunAndNotSaved) {
    auto w = open();
    w->短時間開始->setTime(QTime(7, 15));
    w->close(); // the clerk's last valid bands
    prompts.messages.clear();

    w = open();
    EXPECT_EQ(w->短時間開始->text(), QStringLiteral("07:15"));
    w->短時間開始->setTime(QTime(17, 45));
    w->短時間終了->setTime(QTime(4, 5));
    w->Cmd連携->setEnabled(true); // as after a good CSV step
    w->Cmd連携->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(prompts.messages[0].title, w->caption());
    EXPECT_NE(prompts.messages[0].text.find("短時間開始（17:45）"), std::string::npos);
    EXPECT_NE(prompts.messages[0].text.find("短時間終了（04:05）"), std::string::npos);
    EXPECT_TRUE(prompts.fileRequests.empty()) << "no workbook is asked for";
    EXPECT_EQ(w->lastRunOutcome(), citylink::RunOutcome::QuietEnd);

    w->標準時間終了->setTime(QTime(19, 0));
    w->close();
    EXPECT_EQ(savedBand("短時間開始"), "07:15");
    EXPECT_EQ(savedBand("短時間終了"), "16:00");
    EXPECT_EQ(savedBand("標準時間終了"), "19:00");
}

TEST_F(BandFieldsTest, EveryInputAndButtonOfTheMainWindowHasAName) {
    auto w = open();
    EXPECT_EQ(accessibleName(w->対象日付), QStringLiteral("対象月"));
    EXPECT_EQ(accessibleName(w->短時間開始), QStringLiteral("短時間開始"));
    EXPECT_EQ(accessibleName(w->短時間終了), QStringLiteral("短時間終了"));
    EXPECT_EQ(accessibleName(w->標準時間終了), QStringLiteral("標準時間終了"));
    EXPECT_EQ(accessibleName(w->Cmd設定ファイル), QStringLiteral("設定"));
    EXPECT_EQ(accessibleName(w->Opt大阪市[0]), QStringLiteral("短時間"));
    for (QWidget* input : w->findChildren<QWidget*>()) {
        bool named = qobject_cast<QAbstractButton*>(input) ||
                     qobject_cast<QAbstractSpinBox*>(input) || input == w->対象日付;
        if (named && !input->objectName().isEmpty()) {
            EXPECT_FALSE(accessibleName(input).isEmpty()) << input->objectName().toStdString();
        }
    }
}
