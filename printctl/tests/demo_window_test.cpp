// The demo caller's window over the class with a fake printer system: loading, saving, and a
// broken settings file reported to the user instead of ending the program.
#include "foundation/testing/scripted_prompts.h"
#include "printctl/demo/printer_selection_window.h"
#include "printctl/printctl.h"
#include "printctl/testing/fake_printer_system.h"
#include "testsupport/test_files.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class DemoWindowTest : public ::testing::Test {
protected:
    DemoWindowTest() {
        printers->printers = {"Office Laser", "pdf"};
        printers->defaultPrinter = "pdf";
    }
    std::string folder() const { return scratch.path().string() + "/"; }

    testsupport::ScratchDir scratch;
    std::shared_ptr<printctl::testing::FakePrinterSystem> printers =
        std::make_shared<printctl::testing::FakePrinterSystem>();
    std::shared_ptr<ScriptedPrompts> prompts = std::make_shared<ScriptedPrompts>();
    printctl::Clsプリンタ制御 prt{{printers, prompts, [this] { return folder(); }, {}}};
};

// Closes the next message box and hands back its text.
std::shared_ptr<QString> closeNextMessageBox() {
    auto text = std::make_shared<QString>();
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            *text = box->text();
            box->accept();
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return text;
}

TEST_F(DemoWindowTest, ShowsTheSavedChoiceAndSavesEditedMargins) {
    testsupport::writeBytes(scratch / "demo.txt", "\"Office Laser\",10,12.5,1E-05,0\r\n");
    PrinterSelectionWindow window(prt);
    ASSERT_TRUE(window.Load("demo"));
    EXPECT_EQ(window.printerBox()->currentText(), QStringLiteral("Office Laser"));
    EXPECT_EQ(window.marginField(1)->text(), QStringLiteral("12.5"));
    EXPECT_EQ(window.marginField(2)->text(), QStringLiteral("1e-05"));

    window.printerBox()->setCurrentText(QStringLiteral("pdf"));
    // The properties of the chosen printer, over this window.
    window.propertiesButton()->click();
    ASSERT_EQ(printers->propertiesShown.size(), 1u);
    EXPECT_EQ(printers->propertiesShown[0].first, static_cast<std::int64_t>(window.winId()));
    EXPECT_EQ(printers->propertiesShown[0].second, "pdf");

    window.marginField(0)->setText(QStringLiteral(" 20.5 "));
    window.okButton()->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(testsupport::readBytes(scratch / "demo.txt"), "\"pdf\",20.5,12.5,1E-05,0\r\n");
}

TEST_F(DemoWindowTest, AMarginThatIsNoNumberIsRefusedAndNothingIsSaved) {
    PrinterSelectionWindow window(prt);
    ASSERT_TRUE(window.Load("demo"));
    window.marginField(3)->setText(QStringLiteral("1,5"));
    auto text = closeNextMessageBox();
    window.okButton()->click();
    EXPECT_EQ(*text, QStringLiteral("余白には数値を入力して下さい。"));
    EXPECT_FALSE(std::filesystem::exists(scratch / "demo.txt"));
}

TEST_F(DemoWindowTest, ABrokenSettingsFileIsReportedAndTheWindowStaysUsable) {
    testsupport::writeBytes(scratch / "demo.txt", "\"Office Laser\",10,oops\r\n");
    PrinterSelectionWindow window(prt);
    auto text = closeNextMessageBox();
    EXPECT_TRUE(window.Load("demo"));
    EXPECT_TRUE(text->startsWith(QStringLiteral("保存されたプリンタ設定を読めません。")))
        << text->toStdString();
    EXPECT_EQ(window.printerBox()->count(), 2);
    EXPECT_EQ(window.printerBox()->currentText(), QStringLiteral("pdf"));
    EXPECT_TRUE(window.okButton()->isEnabled());
    // Saving writes a sound file again.
    window.okButton()->click();
    EXPECT_EQ(testsupport::readBytes(scratch / "demo.txt"), "\"pdf\",0,0,0,0\r\n");
}

TEST_F(DemoWindowTest, WithoutPrintersTheWindowCannotBeConfirmed) {
    printers->printers.clear();
    PrinterSelectionWindow window(prt);
    EXPECT_FALSE(window.Load("demo"));
    EXPECT_FALSE(window.okButton()->isEnabled());
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].title, "制御エラー");
}

} // namespace
