// citylink: the main window is the whole program; it ends when the window closes.
#include "citylink/ui/main_window.h"
#include "citylink/ui/qt_prompts.h"
#include "foundation/clock.h"
#include "foundation/mdl_log.h"
#include "foundation/platform.h"

#include <QApplication>

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtPrompts prompts;
    prompts.setProgramTitle(
        QString::fromUtf8(kCitylinkTitle.data(), static_cast<qsizetype>(kCitylinkTitle.size())));
    mdlLog log; // the installation's data folder, the system clock

    // The settings files live beside the program.
    std::string folder = systemPlatform().programFolder();
    std::filesystem::path programFolder(std::u8string(folder.begin(), folder.end()));

    F_うぇぶきらの札幌市連携 window(prompts, log, systemClock(), programFolder);
    prompts.setParentWidget(&window);
    if (!window.loadSucceeded())
        return 1;
    window.show();
    return app.exec();
}
