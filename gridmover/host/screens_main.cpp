// gridmover_screens DIR: renders the host with the migration dialog docked into DIR as
// gridmover-host.png, for the documentation. Runs under any Qt platform, the offscreen one
// included. The project is a copy of the test project, the registry a fixture with four grids
// installed, and the settings a throw-away file, so the picture is the same on every run.
#include "foundation/testing/scripted_prompts.h"
#include "gridmover/addin/connect.h"
#include "gridmover/addin/doc_migration.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/registry.h"
#include "gridmover/host/main_window.h"
#include "shared_ui/japanese_font.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QStatusBar>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <set>

#ifndef SUITE_DEFAULT_SOURCE_DIR
#define SUITE_DEFAULT_SOURCE_DIR "."
#endif

namespace {

class FixtureRegistry : public gridmover::Registry {
public:
    explicit FixtureRegistry(std::initializer_list<int> rows) {
        gridmover::LoadGridVersions();
        for (int row : rows) {
            keys_.insert("CLSID\\{" +
                         gridmover::Versions().Item(row)->Item("CLSID_MsDgrid")->ToString() + "}");
        }
    }
    bool KeyExists(std::string_view key) const override { return keys_.contains(std::string(key)); }

private:
    std::set<std::string, std::less<>> keys_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir scratch;
    if (!out.exists() || !scratch.isValid()) {
        std::fprintf(stderr, "no such folder, or no temporary folder: %s\n", argv[1]);
        return 2;
    }
    preferJapaneseFont();
    namespace fs = std::filesystem;
    const fs::path source =
        fs::path(qEnvironmentVariable("SUITE_SOURCE_DIR", SUITE_DEFAULT_SOURCE_DIR).toStdString()) /
        "gridmover/core/tests/data/infosystem";
    const fs::path project = fs::path(scratch.path().toStdString()) / "infosystem";
    std::error_code ec;
    fs::copy(source, project, fs::copy_options::recursive, ec);
    if (ec) {
        std::fprintf(stderr, "cannot copy %s: %s\n", source.c_str(), ec.message().c_str());
        return 1;
    }
    auto registry = std::make_shared<FixtureRegistry>(std::initializer_list<int>{1, 7, 12, 13});

    ScriptedPrompts prompts;
    bool ok = false;
    {
        gridmover::host::HostWindow window(prompts, scratch.filePath(QStringLiteral("addins.ini")),
                                           registry);
        window.resize(1000, 640);
        ok = window.OpenProject(project / "infosystem.vbp");
        window.LoadAddIn(gridmover::addin::kAfterStartup);
        window.show();
        // The scratch folder's name would change the picture from run to run.
        window.statusBar()->showMessage(QStringLiteral("infosystem.vbp"));
        // The add-in's toolbar button, as a user would press it.
        for (QAction* a : window.StandardBar()->actions()) {
            if (a->text().startsWith(QStringLiteral("Lumatab"))) {
                a->trigger();
            }
        }
        // A form with a grid in the viewer.
        const auto items = window.ProjectTree()->findItems(
            QStringLiteral("frmDataGrid"), Qt::MatchStartsWith | Qt::MatchRecursive);
        if (!items.isEmpty()) {
            window.ProjectTree()->setCurrentItem(items.first());
        }
        for (int i = 0; i < 5; ++i) {
            QApplication::processEvents();
        }
        const QString file = out.filePath(QStringLiteral("gridmover-host.png"));
        ok = ok && gridmover::addin::gToolWindow && gridmover::addin::gToolWindow->Visible() &&
             window.grab().save(file, "PNG");
        if (ok) {
            std::printf("%s\n", qPrintable(file));
        } else {
            std::fprintf(stderr, "cannot render %s\n", qPrintable(file));
        }
    }
    return ok ? 0 : 1;
}
