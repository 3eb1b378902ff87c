#include "citylink/ui/filled_workbook_opener.h"

#include "foundation/utf8_path.h"

#include <QDesktopServices>
#include <QString>

std::function<void(const std::filesystem::path&)>
filledWorkbookOpener(Prompts& prompts, std::function<std::string()> caption,
                     std::function<bool(const QUrl&)> open) {
    if (!open)
        open = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return [&prompts, caption = std::move(caption),
            open = std::move(open)](const std::filesystem::path& saved) {
        const std::string path = utf8::fromPath(saved);
        QUrl url = QUrl::fromLocalFile(
            QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
        if (open(url))
            return;
        showInfo(prompts, caption ? caption() : std::string(),
                 "記入済みのブックを次のファイルに保存しました。\n" + path);
    };
}
