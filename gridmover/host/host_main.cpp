// gridmover: a small development environment for VB6 projects that loads the grid migration
// add-in as the VB6 environment does, so that a project can be migrated without Windows.
//
//   gridmover [--connect-mode 0|1|2|3] [--no-addin] [project.vbp]
#include "gridmover/host/line_feed_prompts.h"
#include "gridmover/host/main_window.h"
#include "shared_ui/japanese_font.h"
#include "shared_ui/qt_prompts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kHelp =
    R"(gridmover: VB6 プロジェクトを開き、グリッド移行アドインを読み込む小さな開発環境です。
A small development environment that opens a VB6 project and loads the grid migration add-in.

使い方 / Usage:
  gridmover [--connect-mode 0|1|2|3] [--no-addin] [project.vbp]

  --connect-mode N   アドインを接続する方法（既定 1） / how the add-in is connected (default 1):
                     0 起動後にアドイン マネージャから / from the add-in manager after start-up
                     1 起動時 / during start-up (the button appears once started)
                     2 外部から / external (the window is shown at once)
                     3 コマンドラインから / from the command line (no button, nothing shown)
  --no-addin         アドインを読み込みません / does not load the add-in
  project.vbp        開くプロジェクト / the project to open
  --help             この説明 / this text

終了コード / Exit status: 0 通常終了 / normal end, 2 コマンドラインの誤り / usage error
)";

} // namespace

int main(int argc, char** argv) {
    int mode = gridmover::addin::kStartup;
    bool loadAddIn = true;
    const char* project = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (a == "--connect-mode" && i + 1 < argc) {
            std::string v = argv[++i];
            if (v.size() != 1 || v[0] < '0' || v[0] > '3') {
                std::fprintf(stderr,
                             "gridmover: --connect-mode は 0 から 3 です / --connect-mode must be "
                             "0 to 3: %s\n",
                             v.c_str());
                return 2;
            }
            mode = v[0] - '0';
        } else if (a == "--no-addin") {
            loadAddIn = false;
        } else if (!a.empty() && a[0] != '-' && project == nullptr) {
            project = argv[i];
        } else {
            std::fprintf(stderr,
                         "gridmover: 不明な引数です / unknown argument: %s\n(gridmover --help)\n",
                         a.c_str());
            return 2;
        }
    }

    QApplication app(argc, argv);
    preferJapaneseFont();
    QtPrompts dialogs;
    dialogs.setProgramTitle(QString::fromUtf8(gridmover::kAddInTitle.data(),
                                              static_cast<int>(gridmover::kAddInTitle.size())));
    gridmover::host::LineFeedPrompts prompts(dialogs);
    gridmover::host::HostWindow window(prompts, gridmover::host::IniSettingsStore::DefaultFile());
    dialogs.setParentWidget(&window);
    if (loadAddIn) {
        window.LoadAddIn(mode);
    }
    if (project != nullptr) {
        window.OpenProject(std::filesystem::path(project));
    }
    window.show();
    if (loadAddIn && mode == gridmover::addin::kStartup) {
        // The environment has started once its window is up.
        QTimer::singleShot(0, &window, [&window] { window.StartupComplete(); });
    }
    return app.exec();
}
