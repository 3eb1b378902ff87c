#pragma once
// A printer system for tests and screenshots: printers and default as given, every properties
// request recorded.
#include "printctl/printer_system.h"

#include <utility>

namespace printctl::testing {

class FakePrinterSystem : public PrinterSystem {
public:
    std::vector<std::string> printers;
    std::string defaultPrinter;
    // Every ShowProperties call: the owner window and the printer.
    std::vector<std::pair<std::int64_t, std::string>> propertiesShown;

    std::vector<std::string> Printers() override { return printers; }
    std::string DefaultPrinter() override { return defaultPrinter; }
    void ShowProperties(std::int64_t ownerWindow, const std::string& printer) override {
        propertiesShown.emplace_back(ownerWindow, printer);
    }
};

} // namespace printctl::testing
