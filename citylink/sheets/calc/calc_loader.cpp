#include "citylink/sheets/calc/calc_loader.h"
#include "citylink/sheets/calc/no_office.h"

#include "foundation/platform.h"
#include "foundation/utf8_path.h"

namespace sheets {

CalcModuleLoader::CalcModuleLoader(const std::filesystem::path& file) {
    std::string error;
    module_ = calc::OpenCalcModule(file, error);
    if (!module_) {
        reason_ = error.empty() ? "cannot load " + file.string() : error;
        return;
    }
    if (module_->version != kCalcModuleVersion) {
        reason_ = file.string() + " belongs to another build of this program (interface " +
                  std::to_string(module_->version) + ", expected " +
                  std::to_string(kCalcModuleVersion) + ")";
        module_ = nullptr;
        return;
    }
    if (!module_->installed())
        reason_ = "LibreOffice Calc is not installed where this program was built against it";
}

bool CalcModuleLoader::showsWindows() const {
    return module_ && module_->showsWindows();
}

CalcOfficePtr CalcModuleLoader::privateOffice(std::chrono::milliseconds startTimeout) const {
    return module_ ? module_->privateOffice(startTimeout) : calc::NoOffice(false);
}

CalcOfficePtr CalcModuleLoader::userOffice(std::chrono::milliseconds startTimeout) const {
    return module_ ? module_->userOffice(startTimeout) : calc::NoOffice(true);
}

ApplicationPtr CalcModuleLoader::createApplication(const CalcOfficePtr& office,
                                                   CalcOptions options) const {
    if (!module_)
        throw AutomationError("LibreOffice Calc: " + reason_, errors::kCannotCreateObject);
    return module_->createApplication(office, std::move(options));
}

std::filesystem::path CalcModuleBesideProgram() {
    return utf8::toPath(systemPlatform().programFolder()) / SUITE_CALC_MODULE_FILE;
}

// calc_backend.h's functions of the programs: one module for the whole process, loaded at the
// first of them.
namespace {
const CalcModuleLoader& module() {
    static const CalcModuleLoader loader(CalcModuleBesideProgram());
    return loader;
}
} // namespace

bool CalcInstalled() {
    return module().installed();
}

bool CalcShowsWindows() {
    return module().showsWindows();
}

CalcOfficePtr PrivateCalcOffice(std::chrono::milliseconds startTimeout) {
    return module().privateOffice(startTimeout);
}

CalcOfficePtr UserCalcOffice(std::chrono::milliseconds startTimeout) {
    return module().userOffice(startTimeout);
}

ApplicationPtr CreateCalcApplication(const CalcOfficePtr& office, CalcOptions options) {
    return module().createApplication(office, std::move(options));
}

} // namespace sheets
