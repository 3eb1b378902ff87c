// citylink_screens DIR: renders every window of citylink into DIR as PNG files, for the
// documentation. Runs under any Qt platform, the offscreen one included. The clock is pinned and
// the settings and log go to a throw-away folder, so the pictures are the same on every run.
#include "citylink/core/layout_screen.h"
#include "citylink/ui/main_window.h"
#include "citylink/ui/settings_screen.h"
#include "foundation/clock.h"
#include "foundation/mdl_log.h"
#include "foundation/mdl_system_ini.h"
#include "shared_ui/qt_prompts.h"
#include "shared_ui/qt_translations.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>

namespace {

// Han characters take their Japanese shapes only from a Japanese font; a desktop in a Japanese
// locale picks one by itself, a bare build machine does not.
void preferJapaneseFont() {
    const QString family = QStringLiteral("Noto Sans CJK JP");
    if (QFontDatabase::families().contains(family)) {
        QFont font = QApplication::font();
        font.setFamily(family);
        QApplication::setFont(font);
    }
}

bool save(QWidget& window, const QDir& dir, const QString& name) {
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

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Standard dialogs and buttons in the desktop's language, as on the clerk's Japanese desktop.
    installQtTranslations();
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists()) {
        std::fprintf(stderr, "no such folder: %s\n", argv[1]);
        return 2;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    preferJapaneseFont();

    const std::filesystem::path folder = scratch.path().toStdString();
    ManualClock clock({2024, 12, 2, 9, 30, 0});
    mdlLog log([&] { return (folder / "").string(); }, clock);
    QtPrompts prompts;

    bool ok = true;
    {
        F_うぇぶきらの札幌市連携 window(prompts, log, clock, folder);
        prompts.setParentWidget(&window);
        ok = window.loadSucceeded() && save(window, out, QStringLiteral("citylink-main.png")) && ok;
        window.close();
    }
    {
        // The settings screen with a set-up year chosen, set up as a clerk does it: each new
        // fiscal year copied from the one before (the main window has seeded the first).
        const std::filesystem::path ini = folder / u8"札幌市連携.INI";
        MdlSystemINI::PutIniString(ini, "2018", "4-1", "2");
        MdlSystemINI::PutIniString(ini, "2018", "4-2", "1");
        for (int year = 2019; year <= 2024; ++year)
            ok = citylink::copyPreviousYearLayout(ini, std::to_string(year)) && ok;
        F_うぇぶきらの札幌市連携設定画面 screen(prompts, clock, ini);
        prompts.setParentWidget(&screen);
        screen.Cmb年度->setCurrentIndex(screen.Cmb年度->findText(QStringLiteral("2024")));
        ok = save(screen, out, QStringLiteral("citylink-settings.png")) && ok;
        prompts.setParentWidget(nullptr);
    }
    return ok ? 0 : 1;
}
