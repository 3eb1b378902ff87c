#pragma once
// An error as the window's procedures log it: a description and a number, written
// description + "(" + number + ")". The numbers follow the run-time error numbers that the logs of
// the Windows programs carry, so that support reads both kinds of log the same way.
#include <exception>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>

class NumberedError : public std::runtime_error {
public:
    // Numbers used by this program's own failures.
    static constexpr long InvalidArgument = 5; // invalid procedure call or argument
    static constexpr long OutOfMemory = 7;
    static constexpr long TypeMismatch = 13; // a value that is not the expected kind (a date)
    static constexpr long PathAccess = 75;   // path/file access error

    NumberedError(const std::string& description, long number)
        : std::runtime_error(description), number_(number) {}
    long number() const { return number_; }
    std::string description() const { return what(); }

private:
    long number_;
};

// Description and number of the exception being handled (call inside a catch block).
// A NumberedError gives its own; other exceptions give what() and a number by kind:
// std::bad_alloc 7, std::filesystem::filesystem_error 75, any other std::exception 5;
// anything else "予期しないエラー" and 5.
struct TrappedError {
    std::string description;
    long number = NumberedError::InvalidArgument;

    // "description(number)", the form of every trapped-error log line.
    std::string logText() const { return description + "(" + std::to_string(number) + ")"; }

    static TrappedError current() {
        try {
            throw;
        } catch (const NumberedError& e) {
            return {e.description(), e.number()};
        } catch (const std::bad_alloc& e) {
            return {e.what(), NumberedError::OutOfMemory};
        } catch (const std::filesystem::filesystem_error& e) {
            return {e.what(), NumberedError::PathAccess};
        } catch (const std::exception& e) {
            return {e.what(), NumberedError::InvalidArgument};
        } catch (...) {
            return {"予期しないエラー", NumberedError::InvalidArgument};
        }
    }
};
