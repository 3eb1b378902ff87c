#include "gridmover/host/host_project.h"

#include "foundation/cp932.h"
#include "gridmover/core/file_access.h"
#include "gridmover/core/mod_convert.h"

#include <stdexcept>

namespace gridmover::host {

namespace {

// The project's Name="..." line; the file's stem when it has none.
std::string projectName(const std::filesystem::path& vbp) {
    const std::string data = ReadFileBytes(vbp);
    LineReader reader(data);
    while (!reader.AtEnd()) {
        std::string_view line = reader.Next();
        if (line.rfind("Name=\"", 0) == 0) {
            std::string name(line.substr(6, line.find('"', 6) - 6));
            return cp932::tryToUtf8(name).value_or(name);
        }
    }
    return vbp.stem().string();
}

} // namespace

std::filesystem::path HostComponent::FileNames(int index) const {
    if (index < 1 || index > FileCount()) {
        throw std::out_of_range("インデックスが有効範囲にありません。");
    }
    return c_.files[static_cast<std::size_t>(index - 1)];
}

HostProject::HostProject(const std::filesystem::path& vbp) : file_(vbp) {
    VbProject p = ReadVbProject(vbp);
    name_ = projectName(vbp);
    for (auto& c : p.components) {
        components_.emplace_back(std::move(c));
    }
}

addin::VBComponent& HostProject::Component(int index) {
    if (index < 1 || index > ComponentCount()) {
        throw std::out_of_range("インデックスが有効範囲にありません。");
    }
    return components_[static_cast<std::size_t>(index - 1)];
}

} // namespace gridmover::host
