// printctl-demo: a calling program of libprintctl. It creates the printer-settings class by its
// identifier, as the suite's programs do, and shows a printer-selection window over it; the
// choice and margins are kept in the data folder from one run to the next.
#include "printctl/demo/printer_selection_window.h"
#include "printctl/printctl.h"
#include "shared_ui/qt_translations.h"

#include <QApplication>
#include <QMessageBox>

#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Standard dialogs and buttons in the desktop's language, as on the clerk's Japanese desktop.
    installQtTranslations();
    auto printer = printctl::CreateObject(printctl::kProgId);
    if (!printer) {
        QMessageBox::critical(nullptr, QStringLiteral("エラー"),
                              QStringLiteral("プリンタ制御を作成できません。"));
        return 1;
    }
    // An installation comes with its data folder; a build tree does not, and without the folder
    // nothing could be remembered.
    printer->プログラム名("printctl-demo");
    std::error_code ec;
    std::filesystem::create_directories(
        std::filesystem::path(printer->SettingsFilePath()).parent_path(), ec);
    PrinterSelectionWindow window(*printer);
    if (!window.Load("printctl-demo"))
        return 1;
    return window.exec() == QDialog::Accepted ? 0 : 1;
}
