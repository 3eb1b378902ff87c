// The entry point of the Calc module. Everything else in the module is hidden: only this symbol
// is exported, so the module's copies of the few shared helpers it carries never stand in for
// the program's own.
#include "citylink/sheets/calc/calc_module.h"

extern "C" __attribute__((visibility("default"))) const sheets::CalcModule* citylink_calc_module() {
    static const sheets::CalcModule table{
        sheets::kCalcModuleVersion, &sheets::CalcInstalled,  &sheets::CalcShowsWindows,
        &sheets::PrivateCalcOffice, &sheets::UserCalcOffice, &sheets::CreateCalcApplication,
    };
    return &table;
}
