#pragma once
// The printers of Windows: the spooler's list (EnumPrintersA), the user's default printer and the
// shell's printer properties (SHInvokePrinterCommandA).
#include "printctl/printer_system.h"

namespace printctl {

class Win32PrinterSystem final : public PrinterSystem {
public:
    std::vector<std::string> Printers() override;
    std::string DefaultPrinter() override;
    void ShowProperties(std::int64_t ownerWindow, const std::string& printer) override;
};

} // namespace printctl
