// The Qt prompts: which box the clerk sees, and which files the open dialog lists.
#include "shared_ui/qt_prompts.h"
#include "shared_ui/qt_translations.h"
#include "testsupport/test_files.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `act` on the next modal box once it is up, from inside its event loop.
void whenModalShows(std::function<void(QMessageBox*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(box);
        }
    });
    timer->start();
}

TEST(QtPrompts, MessagesCarryIconAndTitleAndAnEmptyTitleShowsTheProgramTitle) {
    QtPrompts prompts;
    prompts.setProgramTitle(QStringLiteral("うぇぶきらの札幌市連携"));
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    auto record = [&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    };

    whenModalShows(record);
    prompts.message(MsgIcon::Critical, "エラー", "EXCELの起動に失敗しました。");
    EXPECT_EQ(title, QStringLiteral("エラー"));
    EXPECT_EQ(text, QStringLiteral("EXCELの起動に失敗しました。"));
    EXPECT_EQ(icon, QMessageBox::Critical);

    whenModalShows(record);
    prompts.message(MsgIcon::None, "", "処理を中断しました");
    EXPECT_EQ(title, QStringLiteral("うぇぶきらの札幌市連携"));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
}

TEST(QtPrompts, YesNoQuestionAnswersWhatWasClicked) {
    QtPrompts prompts;
    for (bool yes : {true, false}) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModalShows([&](QMessageBox* box) {
            icon = box->icon();
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        EXPECT_EQ(prompts.askYesNo("確認", "保存しますか？"), yes);
        EXPECT_EQ(icon, QMessageBox::Question);
    }
}

TEST(QtPrompts, VbFiltersBecomeQtNameFilters) {
    EXPECT_EQ(QtPrompts::toQtNameFilters("CSVファイル|*.CSV|全てのファイル|*.*"),
              (QStringList{QStringLiteral("CSVファイル (*.CSV)"),
                           QStringLiteral("全てのファイル (*.*)")}));
    EXPECT_EQ(QtPrompts::toQtNameFilters("Excel|*.xls;*.xlsx"),
              (QStringList{QStringLiteral("Excel (*.xls *.xlsx)")}));
    EXPECT_TRUE(QtPrompts::toQtNameFilters("").isEmpty());
    EXPECT_EQ(QtPrompts::toQtNameFilters("CSV|*.csv|dangling").size(), 1);
}

TEST(QtPrompts, OpenDialogListsFilesWhateverTheCaseOfTheirExtension) {
    testsupport::ScratchDir dir;
    testsupport::writeBytes(dir / "lower.csv", "x");
    testsupport::writeBytes(dir / "UPPER.CSV", "x");
    testsupport::writeBytes(dir / "other.txt", "x");

    QtPrompts prompts;
    auto dialog = prompts.makeOpenDialog(
        {"CSVファイルを選択してください", "CSVファイル|*.CSV|全てのファイル|*.*", ""});
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("CSVファイルを選択してください"));
    dialog->setDirectory(QString::fromStdString(dir.path().string()));
    dialog->show();

    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_NE(view, nullptr);
    QStringList listed;
    (void)QTest::qWaitFor([&] {
        listed.clear();
        QAbstractItemModel* model = view->model();
        for (int r = 0; r < model->rowCount(view->rootIndex()); ++r)
            listed << model->index(r, 0, view->rootIndex()).data().toString();
        return listed.size() >= 2;
    });
    listed.sort();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("UPPER.CSV"), QStringLiteral("lower.csv")}));
    dialog->reject();
}

} // namespace

TEST(QtPrompts, ABoxIsWideEnoughForItsTitle) {
    QtPrompts prompts;
    const QString title = QStringLiteral("うぇぶきらの札幌市連携 Ver7.5.0");
    int width = 0;
    whenModalShows([&](QMessageBox* box) {
        width = box->width();
        box->button(QMessageBox::Ok)->click();
    });
    prompts.message(MsgIcon::Information, title.toStdString(), "保存しました。");
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GT(width, QFontMetrics(bold).horizontalAdvance(title) + 100);
}

TEST(QtTranslations, StandardButtonsAndTheFileDialogReadJapaneseInAJapaneseLocale) {
    QTranslator* japanese = installQtTranslations(QLocale(QLocale::Japanese, QLocale::Japan));
    ASSERT_NE(japanese, nullptr) << "Qt's translations (qt6-translations-l10n) are missing";
    QtPrompts prompts;
    QString yes, no;
    whenModalShows([&](QMessageBox* box) {
        yes = box->button(QMessageBox::Yes)->text();
        no = box->button(QMessageBox::No)->text();
        box->button(QMessageBox::No)->click();
    });
    prompts.askYesNo("確認", "保存しますか？");
    EXPECT_TRUE(yes.startsWith(QStringLiteral("はい"))) << yes.toStdString();
    EXPECT_TRUE(no.startsWith(QStringLiteral("いいえ"))) << no.toStdString();

    auto dialog = prompts.makeOpenDialog({"CSVファイルを選択してください", "CSV|*.CSV", ""});
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("開く(&O)"));
    EXPECT_EQ(dialog->labelText(QFileDialog::Reject), QStringLiteral("キャンセル"));
    EXPECT_EQ(dialog->labelText(QFileDialog::LookIn), QStringLiteral("アドレス:"));
    EXPECT_EQ(dialog->labelText(QFileDialog::FileName), QStringLiteral("ファイル名(&N):"));

    // Without it (an English desktop) the dialogs keep Qt's English.
    delete japanese;
    auto english = prompts.makeOpenDialog({"", "", ""});
    EXPECT_EQ(english->labelText(QFileDialog::Reject), QStringLiteral("Cancel"));
}
