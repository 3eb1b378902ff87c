#pragma once
// The migration run's site inside the development environment: the active project of the
// environment, the add-in's tool window, the Status window and the screen's mouse pointer.
#include "gridmover/addin/environment.h"
#include "gridmover/addin/status_window.h"
#include "gridmover/core/migration_run.h"

namespace gridmover::addin {

class EnvironmentSite : public MigrationSite {
public:
    EnvironmentSite(VBE* vbe, std::shared_ptr<Window> toolWindow, Status& status, Screen& screen)
        : vbe_(vbe), toolWindow_(std::move(toolWindow)), status_(status), screen_(screen) {}

    RunProject ActiveProject() override;
    void HideToolWindow() override;
    void BeginBusy() override;
    void SetStatus(std::string_view text) override;
    void EndBusy() override;
    void ReopenProject(const std::filesystem::path& projectFile) override;

private:
    VBE* vbe_;
    std::shared_ptr<Window> toolWindow_;
    Status& status_;
    Screen& screen_;
    int savedPointer_ = 0;
};

} // namespace gridmover::addin
