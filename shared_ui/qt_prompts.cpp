#include "shared_ui/qt_prompts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon qtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtPrompts::fitTitle(QMessageBox& box) {
    // A message box is as wide as its text; the window manager then cuts a longer title
    // ("うぇぶきら… 幌市連携" over "保存しました。"). The title bar's font is the window manager's:
    // the bold application font is a fair measure, plus room for the bar's icon and buttons.
    QFont font = QApplication::font();
    font.setBold(true);
    const int width = QFontMetrics(font).horizontalAdvance(box.windowTitle()) + kTitleBarExtra;
    // QMessageBox fixes its own size from its layout, so the width goes in as a spacer.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

QString QtPrompts::titleOr(std::string_view title) const {
    if (!title.empty())
        return qs(title);
    return programTitle_.isEmpty() ? QApplication::applicationDisplayName() : programTitle_;
}

void QtPrompts::message(MsgIcon icon, std::string_view title, std::string_view text) {
    QMessageBox box(qtIcon(icon), titleOr(title), qs(text), QMessageBox::Ok, parent_);
    fitTitle(box);
    box.exec();
}

bool QtPrompts::askYesNo(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::Question, titleOr(title), qs(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    fitTitle(box);
    return box.exec() == QMessageBox::Yes;
}

std::unique_ptr<QFileDialog> QtPrompts::makeOpenDialog(const OpenFileRequest& request) const {
    auto dialog = std::make_unique<QFileDialog>(parent_, titleOr(request.title));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    QStringList filters = toQtNameFilters(request.filter);
    if (!filters.isEmpty())
        dialog->setNameFilters(filters);
    if (!request.initialFile.empty())
        dialog->selectFile(qs(request.initialFile));
    return dialog;
}

std::optional<std::string> QtPrompts::chooseOpenFile(const OpenFileRequest& request) {
    auto dialog = makeOpenDialog(request);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    QStringList files = dialog->selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return files.front().toStdString();
}

QStringList QtPrompts::toQtNameFilters(std::string_view vbFilter) {
    QStringList parts = qs(vbFilter).split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            QString pattern = p.trimmed();
            if (!pattern.isEmpty())
                patterns << pattern;
        }
        if (patterns.isEmpty())
            continue;
        result << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}
