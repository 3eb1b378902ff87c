#include "shared_ui/screens_folder.h"

#include "shared_ui/japanese_font.h"
#include "shared_ui/qt_translations.h"

#include <cstdio>

std::optional<QDir> screensOutputFolder(int argc, char** argv) {
    // Standard dialogs and buttons in the desktop's language, as on the clerk's Japanese desktop.
    installQtTranslations();
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return std::nullopt;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists()) {
        std::fprintf(stderr, "no such folder: %s\n", argv[1]);
        return std::nullopt;
    }
    preferJapaneseFont();
    return out;
}
