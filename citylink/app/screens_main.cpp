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
#include "shared_ui/screens_folder.h"
#include "shared_ui/window_picture.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::optional<QDir> out = screensOutputFolder(argc, argv);
    if (!out)
        return 2;
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }

    const std::filesystem::path folder = scratch.path().toStdString();
    ManualClock clock({2024, 12, 2, 9, 30, 0});
    mdlLog log([&] { return (folder / "").string(); }, clock);
    QtPrompts prompts;

    bool ok = true;
    {
        F_うぇぶきらの札幌市連携 window(prompts, log, clock, folder);
        prompts.setParentWidget(&window);
        ok = window.loadSucceeded() &&
             saveWindowPicture(window, *out, QStringLiteral("citylink-main.png")) && ok;
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
        ok = saveWindowPicture(screen, *out, QStringLiteral("citylink-settings.png")) && ok;
        prompts.setParentWidget(nullptr);
    }
    return ok ? 0 : 1;
}
