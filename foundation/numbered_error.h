#pragma once
// The run-time error numbers the suite logs, in one list, and the one form of a trapped-error log
// line. The numbers are those the logs of the Windows programs carry, so that support reads both
// kinds of log the same way.
#include <stdexcept>
#include <string>
#include <string_view>

namespace errnum {
enum ErrorNumber : long {
    InvalidCall = 5,           // invalid procedure call or argument; the default for the unforeseen
    OutOfMemory = 7,           // memory exhausted, or a file too large to take in
    SubscriptOutOfRange = 9,   // no such item (a worksheet name, a missing data row)
    TypeMismatch = 13,         // a value that is not the expected kind (a date)
    FileNotFound = 53,         // a file that does not exist
    InputPastEnd = 62,         // a file that ends before its data does
    PathAccess = 75,           // a path that cannot be opened or read
    CannotCreateObject = 429,  // nothing registered under a programmatic identifier
    ObjectGone = 462,          // the automation server has gone away
    ApplicationDefined = 1004, // the spreadsheet application refused (open, save, address, block)
};

// A short Japanese description of the number, for failures that bring none of their own;
// "予期しないエラー" for a number not in the list.
const char* describe(long number);
} // namespace errnum

// A failure that carries its error number.
class NumberedError : public std::runtime_error {
public:
    NumberedError(std::string description, long number)
        : std::runtime_error(description), description_(std::move(description)), number_(number) {}
    const std::string& description() const { return description_; }
    long number() const { return number_; }

private:
    std::string description_;
    long number_;
};

// "description(number)": how a procedure logs what it trapped.
std::string errorLogText(std::string_view description, long number);

// "procedure: description( number)": the spreadsheet layer's form, with its blank before the
// number, which the logs of the Windows program carry for automation failures.
std::string automationErrorLogText(std::string_view procedure, std::string_view description,
                                   long number);
