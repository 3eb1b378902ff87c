#pragma once
// The host program's main window: a small development environment that opens a VB6 project,
// shows its components in a tree and a component's source read-only, and loads the migration
// add-in through its Connect object the way the environment does.
#include "gridmover/addin/connect.h"
#include "gridmover/host/host_environment.h"
#include "gridmover/host/host_project.h"
#include "gridmover/host/host_runtime.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <memory>
#include <optional>

namespace gridmover::host {

class HostWindow : public QMainWindow, public ProjectHost {
public:
    // prompts: the add-in's message boxes and the host's own; settingsFile: the per-user store.
    // registry: where installed grid versions are found (the Wine prefix's by default).
    HostWindow(Prompts& prompts, const QString& settingsFile,
               std::shared_ptr<const Registry> registry = DefaultRegistry(),
               QWidget* parent = nullptr);
    ~HostWindow() override;

    // Connects the add-in in the given mode (0 to 3); false when it is connected already.
    bool LoadAddIn(int connectMode);
    // Tells the add-in that the environment has started (what mode 1 waits for).
    void StartupComplete();
    void UnloadAddIn();
    bool AddInLoaded() const { return connect_ != nullptr; }

    // Opens a project and shows it; shows the reason and returns false when it cannot be read.
    bool OpenProject(const std::filesystem::path& vbp);

    addin::VBProject* ActiveProject() override;
    void OpenProjectFile(const std::filesystem::path& file, bool exclusive) override;

    // Start and end of a program run inside the environment: the File menu's first command is
    // disabled meanwhile, as the add-in expects.
    void SetRunMode(bool running);

    QToolBar* StandardBar() const { return standard_; }
    QMenu* FileMenu() const { return fileMenu_; }
    QTreeWidget* ProjectTree() const { return tree_; }
    QPlainTextEdit* Viewer() const { return viewer_; }
    HostEnvironment& Environment() { return *env_; }
    // The component shown in the viewer (by its text file), if any.
    void ShowComponentSource(const std::filesystem::path& file);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenusAndBars();
    void chooseProject();
    void fillTree();

    Prompts& prompts_;
    QMenu* fileMenu_ = nullptr;
    QToolBar* standard_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* startAction_ = nullptr;
    QAction* endAction_ = nullptr;
    QAction* addInAction_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QDockWidget* treeDock_ = nullptr;
    QPlainTextEdit* viewer_ = nullptr;
    std::optional<std::filesystem::path> shownFile_;

    QtScreen screen_;
    IniSettingsStore settings_;
    QtClipboard clipboard_;
    std::shared_ptr<const Registry> registry_;
    addin::Runtime runtime_;
    std::unique_ptr<HostEnvironment> env_;
    std::unique_ptr<HostProject> project_;
    std::unique_ptr<addin::Connect> connect_;
};

} // namespace gridmover::host
