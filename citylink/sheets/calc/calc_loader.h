#pragma once
// The Calc backend as the programs see it: calc_backend.h's functions forwarded to the Calc module,
// which is loaded at first use. A program therefore starts (and runs on the embedded engine)
// where LibreOffice is not installed, and maps the office's libraries only when Calc is asked for.
#include "citylink/sheets/calc/calc_backend.h"
#include "citylink/sheets/calc/calc_module.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace sheets {

// One loaded (or unloadable) module file. The file is never unloaded: objects made by it may
// outlive the loader.
class CalcModuleLoader {
public:
    // Loads the file now; a failure is kept as the reason, never thrown.
    explicit CalcModuleLoader(const std::filesystem::path& file);

    // Whether the module was loaded and reports an office with Calc.
    bool installed() const { return reason_.empty(); }
    // Why Calc cannot be used here (the system loader's message for a module that cannot be
    // loaded, the missing office otherwise); empty when installed.
    const std::string& reason() const { return reason_; }

    // As calc_backend.h's functions. Without a module: no windows, offices that cannot start,
    // and an application that cannot be created (kCannotCreateObject with the reason).
    bool showsWindows() const;
    CalcOfficePtr privateOffice(std::chrono::milliseconds startTimeout) const;
    CalcOfficePtr userOffice(std::chrono::milliseconds startTimeout) const;
    ApplicationPtr createApplication(const CalcOfficePtr& office, CalcOptions options) const;

private:
    const CalcModule* module_ = nullptr;
    std::string reason_;
};

// The module's file where the programs find it: beside the running program, in the build tree
// as in the installed program folder.
std::filesystem::path CalcModuleBesideProgram();

namespace calc {
// Opens a module file and looks up its entry point (the platform's loader). On failure returns
// null and sets `error` to the system's message.
const CalcModule* OpenCalcModule(const std::filesystem::path& file, std::string& error);
} // namespace calc

} // namespace sheets
