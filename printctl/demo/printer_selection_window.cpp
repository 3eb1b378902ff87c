#include "printctl/demo/printer_selection_window.h"

#include "printctl/printctl.h"
#include "printctl/qt_list_controls.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const kMarginLabels[4] = {"上", "下", "左", "右"};

// Margins in the form the settings file keeps them ("." always), so what the user sees is what
// the next run shows.
QString marginText(double value) {
    return QLocale::c().toString(value, 'g', 15);
}

} // namespace

PrinterSelectionWindow::PrinterSelectionWindow(printctl::Clsプリンタ制御& printer, QWidget* parent)
    : QDialog(parent), printer_(printer) {
    setObjectName(QStringLiteral("PrinterSelectionWindow"));
    setWindowTitle(QStringLiteral("プリンタの選択"));
    auto* layout = new QVBoxLayout(this);

    auto* printerRow = new QFormLayout;
    printerBox_ = new QComboBox(this);
    printerBox_->setObjectName(QStringLiteral("printerBox"));
    printerBox_->setMinimumContentsLength(24);
    printerRow->addRow(QStringLiteral("プリンタ:"), printerBox_);
    layout->addLayout(printerRow);

    auto* marginBox = new QGroupBox(QStringLiteral("余白 (mm)"), this);
    auto* grid = new QGridLayout(marginBox);
    for (int i = 0; i < 4; ++i) {
        margins_[i] = new QLineEdit(marginText(0), marginBox);
        margins_[i]->setObjectName(QStringLiteral("margin%1").arg(i));
        margins_[i]->setAlignment(Qt::AlignRight);
        grid->addWidget(new QLabel(QString::fromUtf8(kMarginLabels[i]), marginBox), i / 2,
                        (i % 2) * 2);
        grid->addWidget(margins_[i], i / 2, (i % 2) * 2 + 1);
    }
    layout->addWidget(marginBox);

    auto* buttons = new QDialogButtonBox(this);
    properties_ = buttons->addButton(QStringLiteral("プロパティ..."), QDialogButtonBox::ActionRole);
    ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    auto* cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    ok_->setDefault(true);
    layout->addWidget(buttons);

    connect(ok_, &QPushButton::clicked, this, [this] { save(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(properties_, &QPushButton::clicked, this, [this] {
        printctl::ComboBoxList list(printerBox_);
        printer_.Prt_Property(list);
    });
}

bool PrinterSelectionWindow::Load(const std::string& programName) {
    printer_.FormNum(static_cast<std::int64_t>(winId()));
    printer_.プログラム名(programName);
    printctl::ComboBoxList list(printerBox_);
    bool listed = false;
    try {
        listed = printer_.Prt_List(list);
    } catch (const printctl::SettingsFileError& e) {
        // The printers are listed and the default chosen; only the saved choice is lost. Saving
        // writes a sound file again.
        QMessageBox::critical(
            this, QStringLiteral("エラー"),
            QStringLiteral("保存されたプリンタ設定を読めません。\n%1\n%2")
                .arg(QString::fromStdString(e.file()), QString::fromStdString(e.problem())));
        listed = printerBox_->count() > 0;
    }
    ok_->setEnabled(listed);
    properties_->setEnabled(listed);
    margins_[0]->setText(marginText(printer_.余白上()));
    margins_[1]->setText(marginText(printer_.余白下()));
    margins_[2]->setText(marginText(printer_.余白左()));
    margins_[3]->setText(marginText(printer_.余白右()));
    return listed;
}

void PrinterSelectionWindow::save() {
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = QLocale::c().toDouble(margins_[i]->text().trimmed(), &ok);
        if (!ok) {
            QMessageBox::critical(this, QStringLiteral("エラー"),
                                  QStringLiteral("余白には数値を入力して下さい。"));
            margins_[i]->setFocus();
            margins_[i]->selectAll();
            return;
        }
    }
    printer_.余白上(values[0]);
    printer_.余白下(values[1]);
    printer_.余白左(values[2]);
    printer_.余白右(values[3]);
    printctl::ComboBoxList list(printerBox_);
    if (printer_.Prt_Save(list))
        accept();
}
