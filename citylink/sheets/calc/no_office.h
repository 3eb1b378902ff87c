#pragma once
// The office of a program that cannot reach LibreOffice (a build without the SDK, or a program
// whose Calc module did not load): nothing to start, nothing to stop. The applications asked of
// it fail to be created, each implementation with its own reason.
#include "citylink/sheets/calc/calc_backend.h"

namespace sheets::calc {

// An office that never runs; `user` is what isUserOffice answers.
CalcOfficePtr NoOffice(bool user);

} // namespace sheets::calc
