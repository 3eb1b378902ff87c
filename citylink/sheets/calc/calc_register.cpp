// Registering Calc is the same over every implementation of calc_backend.h (the UNO code itself,
// the module loader of the programs, the stand-in of a build without the SDK).
#include "citylink/sheets/calc/calc_backend.h"

namespace sheets {

void RegisterCalc(BackendRegistry& registry, CalcOfficePtr office, CalcOptions options) {
    for (std::string_view id : kExcelProgIds)
        registry.Register(std::string(id),
                          [office, options] { return CreateCalcApplication(office, options); });
}

} // namespace sheets
