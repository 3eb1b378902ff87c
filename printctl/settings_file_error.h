#pragma once
// The one exception of libprintctl's interface.
#include "printctl/printctl_export.h"

#include <stdexcept>
#include <string>

namespace printctl {

// The settings file of a calling program exists but cannot be read as one printer name and four
// margins (bytes that are not CP932, a missing field, a field that is not a number), or cannot be
// read at all. Prt_List raises it to its caller, which decides what to tell the user; the file is
// left as it is.
class PRINTCTL_EXPORT SettingsFileError : public std::runtime_error {
public:
    SettingsFileError(const std::string& file, const std::string& problem);
    ~SettingsFileError() override;
    // The settings file's path and what is wrong with it, each on its own.
    const std::string& file() const { return file_; }
    const std::string& problem() const { return problem_; }

private:
    std::string file_;
    std::string problem_;
};

} // namespace printctl
