// The Calc backend of a build without the LibreOffice SDK: nothing is installed, and creating an
// application fails as creating an unregistered automation server does.
#include "citylink/sheets/calc/calc_backend.h"

namespace sheets {
namespace {

class NoOffice : public CalcOffice {
public:
    explicit NoOffice(bool user) : user_(user) {}
    bool isUserOffice() const override { return user_; }
    long processId() const override { return 0; }

private:
    bool user_;
};

} // namespace

bool CalcInstalled() {
    return false;
}

bool CalcShowsWindows() {
    return false;
}

CalcOfficePtr PrivateCalcOffice(std::chrono::milliseconds) {
    return std::make_shared<NoOffice>(false);
}

CalcOfficePtr UserCalcOffice(std::chrono::milliseconds) {
    return std::make_shared<NoOffice>(true);
}

ApplicationPtr CreateCalcApplication(const CalcOfficePtr&, CalcOptions) {
    throw AutomationError("LibreOffice: this program was built without the LibreOffice SDK",
                          errors::kCannotCreateObject);
}

} // namespace sheets
