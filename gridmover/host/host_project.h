#pragma once
// A project open in the host: the components of its .vbp file (Form=, UserControl=,
// UserDocument=, PropertyPage=, Designer=, Module=, Class= lines), each with its text file and,
// for designers, the binary companion found beside it.
#include "gridmover/addin/environment.h"
#include "gridmover/core/vb_project.h"

#include <string>
#include <vector>

namespace gridmover::host {

class HostComponent : public addin::VBComponent {
public:
    explicit HostComponent(VbComponent c) : c_(std::move(c)) {}
    std::string Name() const override { return c_.name; }
    bool IsDirty() const override { return false; } // the host does not edit sources
    int FileCount() const override { return static_cast<int>(c_.files.size()); }
    std::filesystem::path FileNames(int index) const override;
    const std::string& kind() const { return c_.kind; }

private:
    VbComponent c_;
};

class HostProject : public addin::VBProject {
public:
    // Reads the project file; throws std::runtime_error when it cannot be read.
    explicit HostProject(const std::filesystem::path& vbp);
    std::string Name() const override { return name_; }
    std::filesystem::path FileName() const override { return file_; }
    bool IsDirty() const override { return false; }
    int ComponentCount() const override { return static_cast<int>(components_.size()); }
    addin::VBComponent& Component(int index) override;
    const std::vector<HostComponent>& components() const { return components_; }

private:
    std::filesystem::path file_;
    std::string name_;
    std::vector<HostComponent> components_;
};

} // namespace gridmover::host
