#pragma once
// Where a procedure writes its progress lines. The processing log is the real one; tests record.
#include <string_view>

class LogSink {
public:
    virtual ~LogSink() = default;
    // Appends one line (UTF-8). Never throws and never interrupts the caller.
    virtual void WriteLog(std::string_view message) = 0;
};
