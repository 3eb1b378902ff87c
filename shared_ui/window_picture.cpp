#include "shared_ui/window_picture.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>

bool saveWindowPicture(QWidget& window, const QDir& dir, const QString& name) {
    window.show();
    window.adjustSize();
    // Labels that wrap ask for the height of a narrow window; take the height for the real width.
    if (int h = window.heightForWidth(window.width()); h > 0)
        window.resize(window.width(), h);
    QApplication::processEvents();
    QString file = dir.filePath(name);
    if (!window.grab().save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}
