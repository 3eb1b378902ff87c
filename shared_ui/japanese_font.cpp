#include "shared_ui/japanese_font.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

void preferJapaneseFont() {
    const QString family = QStringLiteral("Noto Sans CJK JP");
    if (QFontDatabase::families().contains(family)) {
        QFont font = QApplication::font();
        font.setFamily(family);
        QApplication::setFont(font);
    }
}
