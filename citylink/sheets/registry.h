#pragma once
// Programmatic identifiers resolved to spreadsheet backends, the way the platform's object
// creation by identifier works: one factory per identifier.
#include "citylink/sheets/automation.h"

#include <array>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace sheets {

// The identifiers the main window tries, in this order, stopping at the first that creates.
inline constexpr std::array<std::string_view, 3> kExcelProgIds = {
    "Excel.Application.15", "Excel.Application", "Excel.Application.16"};

using ApplicationFactory = std::function<ApplicationPtr()>;

class BackendRegistry {
public:
    // Registers (or replaces) the factory for an identifier (compared exactly).
    void Register(std::string progId, ApplicationFactory factory);
    bool Has(std::string_view progId) const;
    // A new application from the identifier's factory. Throws AutomationError
    // (errors::kCannotCreateObject) when nothing is registered under it or the factory returns
    // no object; an AutomationError from the factory passes through.
    ApplicationPtr CreateObject(std::string_view progId) const;

private:
    std::map<std::string, ApplicationFactory, std::less<>> factories_;
};

// Tries the identifiers in order and returns the first application created; the failures before
// it are dropped. When none creates, throws the last failure (kCannotCreateObject for an empty
// list).
ApplicationPtr CreateFirstAvailable(const BackendRegistry& registry,
                                    std::span<const std::string_view> progIds = kExcelProgIds);

} // namespace sheets
