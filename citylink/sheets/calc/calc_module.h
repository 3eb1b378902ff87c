#pragma once
// The one entry point of the Calc module (the UNO code as a library the programs load at run time,
// so that they start without the office's libraries): a table of calc_backend.h's functions.
// The module and the programs are built together from these sources, so the table passes C++
// objects; the version tells a module of another build apart before anything is called.
#include "citylink/sheets/calc/calc_backend.h"

#include <chrono>

namespace sheets {

// Raised whenever the table or the types it passes change.
inline constexpr int kCalcModuleVersion = 1;

struct CalcModule {
    int version;
    bool (*installed)();
    bool (*showsWindows)();
    CalcOfficePtr (*privateOffice)(std::chrono::milliseconds startTimeout);
    CalcOfficePtr (*userOffice)(std::chrono::milliseconds startTimeout);
    ApplicationPtr (*createApplication)(const CalcOfficePtr& office, CalcOptions options);
};

// The name under which the module exports its entry point.
inline constexpr const char* kCalcModuleEntry = "citylink_calc_module";

} // namespace sheets

// The module's table; never null. C linkage: the loader looks it up by its plain name.
extern "C" const sheets::CalcModule* citylink_calc_module();
