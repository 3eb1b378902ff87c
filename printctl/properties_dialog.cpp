#include "printctl/properties_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace printctl {

PropertiesDialog::PropertiesDialog(const std::string& printer, std::vector<PrinterOption> options,
                                   QWidget* parent)
    : QDialog(parent), options_(std::move(options)) {
    setObjectName(QStringLiteral("PrinterPropertiesDialog"));
    setWindowTitle(QString::fromStdString(printer) + QStringLiteral(" のプロパティ"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    if (options_.empty())
        form->addRow(new QLabel(QStringLiteral("このプリンタには設定できる項目がありません。")));
    for (const PrinterOption& option : options_) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromStdString(option.keyword));
        for (const OptionChoice& choice : option.choices)
            box->addItem(QString::fromStdString(choice.label),
                         QString::fromStdString(choice.value));
        box->setCurrentIndex(option.current);
        form->addRow(QString::fromStdString(option.label) + u':', box);
        boxes_.push_back(box);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

OptionChanges PropertiesDialog::Changes() const {
    OptionChanges changes;
    for (std::size_t i = 0; i < options_.size(); ++i) {
        int chosen = boxes_[i]->currentIndex();
        if (chosen >= 0 && chosen != options_[i].current)
            changes.emplace_back(options_[i].keyword, options_[i].choices[chosen].value);
    }
    return changes;
}

} // namespace printctl
