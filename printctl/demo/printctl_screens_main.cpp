// printctl_screens DIR: renders the demo's printer-selection window and the properties dialog into
// DIR as PNG files, for the documentation. The printers are made up and the settings go to a
// throw-away folder, so the pictures are the same on every machine.
#include "foundation/cp932.h"
#include "printctl/demo/printer_selection_window.h"
#include "printctl/printctl.h"
#include "printctl/properties_dialog.h"
#include "printctl/testing/fake_printer_system.h"
#include "shared_ui/qt_prompts.h"
#include "shared_ui/screens_folder.h"
#include "shared_ui/window_picture.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <fstream>

namespace {

std::vector<printctl::PrinterOption> sampleOptions() {
    return {
        {"media",
         "用紙サイズ",
         {{"iso_a4_210x297mm", "A4"}, {"iso_b5_176x250mm", "B5"}, {"na_letter_8.5x11in", "Letter"}},
         0},
        {"sides",
         "両面印刷",
         {{"one-sided", "片面"},
          {"two-sided-long-edge", "両面 (長辺とじ)"},
          {"two-sided-short-edge", "両面 (短辺とじ)"}},
         0},
        {"print-color-mode", "カラーモード", {{"monochrome", "モノクロ"}, {"color", "カラー"}}, 1},
        {"print-quality", "印刷品質", {{"3", "下書き"}, {"4", "標準"}, {"5", "高品質"}}, 1},
        {"printer-resolution", "解像度", {{"300dpi", "300dpi"}, {"600dpi", "600dpi"}}, 1},
    };
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::optional<QDir> out = screensOutputFolder(argc, argv);
    if (!out)
        return 2;
    QTemporaryDir scratch;
    std::string folder = scratch.path().toStdString() + "/";
    // What an earlier run saved (the file is CP932, as the Windows programs keep it).
    std::ofstream(folder + "printctl-demo.txt", std::ios::binary)
        << cp932::fromUtf8("\"事務室-レーザー\",15,15,20,12.5\r\n");

    auto printers = std::make_shared<printctl::testing::FakePrinterSystem>();
    printers->printers = {"事務室-レーザー", "職員室-カラー", "PDF"};
    printers->defaultPrinter = "職員室-カラー";
    printctl::Clsプリンタ制御 printer(
        {printers, std::make_shared<QtPrompts>(), [folder] { return folder; }, {}});
    PrinterSelectionWindow window(printer);
    window.Load("printctl-demo");
    printctl::PropertiesDialog properties("事務室-レーザー", sampleOptions());
    bool ok = saveWindowPicture(window, *out, QStringLiteral("printctl-demo.png")) &&
              saveWindowPicture(properties, *out, QStringLiteral("printctl-properties.png"));
    return ok ? 0 : 1;
}
