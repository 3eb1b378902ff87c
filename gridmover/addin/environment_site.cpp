#include "gridmover/addin/environment_site.h"

#include <stdexcept>

namespace gridmover::addin {

namespace {
constexpr int kHourglass = 11;
}

RunProject EnvironmentSite::ActiveProject() {
    VBProject* project = vbe_ != nullptr ? vbe_->ActiveVBProject() : nullptr;
    if (project == nullptr) {
        throw std::runtime_error("プロジェクトが開かれていません。 / No project is open.");
    }
    RunProject out;
    out.file = project->FileName();
    out.dirty = project->IsDirty();
    for (int i = 1; i <= project->ComponentCount(); ++i) {
        VBComponent& c = project->Component(i);
        RunComponent rc;
        rc.name = c.Name();
        rc.dirty = c.IsDirty();
        for (int f = 1; f <= c.FileCount(); ++f) {
            rc.files.push_back(c.FileNames(f));
        }
        out.components.push_back(std::move(rc));
    }
    return out;
}

void EnvironmentSite::HideToolWindow() {
    if (toolWindow_) {
        toolWindow_->SetVisible(false);
    }
}

void EnvironmentSite::BeginBusy() {
    savedPointer_ = screen_.MousePointer();
    screen_.SetMousePointer(kHourglass);
    status_.show();
}

void EnvironmentSite::SetStatus(std::string_view text) {
    status_.SetText(text);
}

void EnvironmentSite::EndBusy() {
    status_.hide();
    screen_.SetMousePointer(savedPointer_);
}

void EnvironmentSite::ReopenProject(const std::filesystem::path& projectFile) {
    vbe_->OpenProject(projectFile, true);
}

} // namespace gridmover::addin
