// citylink: the main window is the whole program; it ends when the window closes.
#include "citylink/core/program_caption.h"
#include "citylink/sheets/calc/calc_backend.h"
#include "citylink/sheets/embedded_engine.h"
#include "citylink/sheets/registry.h"
#include "citylink/ui/filled_workbook_opener.h"
#include "citylink/ui/main_window.h"
#include "foundation/clock.h"
#include "foundation/mdl_log.h"
#include "foundation/platform.h"
#include "foundation/utf8_path.h"
#include "shared_ui/qt_prompts.h"
#include "shared_ui/qt_translations.h"

#include <QApplication>

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Standard dialogs and buttons in the desktop's language, as on the clerk's Japanese desktop.
    installQtTranslations();
    QtPrompts prompts;
    prompts.setProgramTitle(QString::fromUtf8(
        citylink::kProgramTitle.data(), static_cast<qsizetype>(citylink::kProgramTitle.size())));
    mdlLog log; // the installation's data folder, the system clock

    // The settings files live beside the program.
    std::string folder = systemPlatform().programFolder();
    std::filesystem::path programFolder = utf8::toPath(folder);

    F_うぇぶきらの札幌市連携 window(prompts, log, systemClock(), programFolder);

    // The spreadsheet application of the run. Where LibreOffice Calc is installed with windows:
    // the clerk's own office (started when it is not running), so that the filled workbook stays
    // open in it beside the clerk's other documents, unsaved, for checking and saving. Otherwise
    // the embedded engine, which hands the filled workbook over as a new file beside the clerk's;
    // the desktop opens it (or, where it cannot, the clerk is told where the file is).
    sheets::BackendRegistry registry;
    if (sheets::CalcInstalled() && sheets::CalcShowsWindows()) {
        sheets::RegisterCalc(registry, sheets::UserCalcOffice());
    } else {
        sheets::EmbeddedEngineOptions engine;
        auto opener = filledWorkbookOpener(prompts, [&window] { return window.caption(); });
        engine.opener = [&window, opener](const std::filesystem::path& saved) {
            // Remembered first: the clerk continues in this copy even when the desktop cannot
            // open it.
            auto text = saved.u8string();
            window.setLastFilledWorkbook(std::string(text.begin(), text.end()));
            opener(saved);
        };
        sheets::RegisterEmbeddedEngine(registry, engine);
    }
    window.setSpreadsheetRegistry(&registry);
    prompts.setParentWidget(&window);
    if (!window.loadSucceeded())
        return 1;
    window.show();
    return app.exec();
}
