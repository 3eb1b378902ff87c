// The Calc backend of a build without the LibreOffice SDK: nothing is installed, and creating an
// application fails as creating an unregistered automation server does.
#include "citylink/sheets/calc/calc_backend.h"
#include "citylink/sheets/calc/no_office.h"

namespace sheets {

bool CalcInstalled() {
    return false;
}

bool CalcShowsWindows() {
    return false;
}

CalcOfficePtr PrivateCalcOffice(std::chrono::milliseconds) {
    return calc::NoOffice(false);
}

CalcOfficePtr UserCalcOffice(std::chrono::milliseconds) {
    return calc::NoOffice(true);
}

ApplicationPtr CreateCalcApplication(const CalcOfficePtr&, CalcOptions) {
    throw AutomationError("LibreOffice: this program was built without the LibreOffice SDK",
                          errors::kCannotCreateObject);
}

} // namespace sheets
