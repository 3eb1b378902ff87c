#include "shared_ui/qt_prompts.h"

#include <QGuiApplication>
#include <QMessageBox>

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

QString QtPrompts::titleOr(std::string_view title) const {
    if (!title.empty())
        return qs(title);
    return programTitle_.isEmpty() ? QGuiApplication::applicationDisplayName() : programTitle_;
}

void QtPrompts::message(MsgIcon icon, std::string_view title, std::string_view text) {
    QMessageBox box(qtIcon(icon), titleOr(title), qs(text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtPrompts::askYesNo(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::Question, titleOr(title), qs(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
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
