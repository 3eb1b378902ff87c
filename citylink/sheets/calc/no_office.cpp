#include "citylink/sheets/calc/no_office.h"

namespace sheets::calc {
namespace {

class UnreachableOffice final : public CalcOffice {
public:
    explicit UnreachableOffice(bool user) : user_(user) {}
    bool isUserOffice() const override { return user_; }
    long processId() const override { return 0; }

private:
    bool user_;
};

} // namespace

CalcOfficePtr NoOffice(bool user) {
    return std::make_shared<UnreachableOffice>(user);
}

} // namespace sheets::calc
