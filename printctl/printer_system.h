#pragma once
// The printers of the system as the printer-settings class needs them: their names, the default,
// and the properties dialog of one of them. CUPS on Linux; tests use a fake.
#include "printctl/printctl_export.h"

#include <cstdint>
#include <string>
#include <vector>

namespace printctl {

class PRINTCTL_EXPORT PrinterSystem {
public:
    virtual ~PrinterSystem();
    // The installed printers (and printer classes), in the order in which the system lists them.
    virtual std::vector<std::string> Printers() = 0;
    // The current default printer of this user; "" when there is none.
    virtual std::string DefaultPrinter() = 0;
    // Opens the properties dialog of the printer, modal to the owner window (a native window id,
    // 0 for none), and returns when it is closed. Changes the user confirms are kept by the
    // system for every program that prints.
    virtual void ShowProperties(std::int64_t ownerWindow, const std::string& printer) = 0;
};

} // namespace printctl
