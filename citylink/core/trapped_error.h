#pragma once
// What a procedure's error trap caught, as a description and an error number.
#include "foundation/numbered_error.h"

#include <string>

namespace citylink {

struct TrappedError {
    std::string description;
    long number = errnum::InvalidCall;

    // "description(number)", the form of every trapped-error log line.
    std::string logText() const { return errorLogText(description, number); }

    // The exception being handled (call inside a catch block). A NumberedError (the spreadsheet
    // layer's AutomationError among them) gives its own description and number; std::bad_alloc
    // gives "メモリが不足しています。" and 7; std::filesystem::filesystem_error its what() and 75;
    // any other std::exception its what() and fallbackNumber; anything else "予期しないエラー" and
    // fallbackNumber.
    static TrappedError current(long fallbackNumber = errnum::InvalidCall);
};

} // namespace citylink
