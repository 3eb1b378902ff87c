#pragma once
// The spreadsheet application on Windows: Excel driven through its automation interface, late
// bound (IDispatch by member name), as the identifiers "Excel.Application[.n]" name it. Nothing of
// Excel's type library is compiled in, so any installed version answers.
#include "citylink/sheets/automation.h"

#include <string_view>

struct IDispatch;

namespace sheets::win32 {

// Whether an application is registered under progId (CLSIDFromProgID finds its class).
bool ProgIdRegistered(std::string_view progId);

// Starts a new instance of the application registered under progId (CLSIDFromProgID, then
// CoCreateInstance of a local server) and returns it invisible. Throws AutomationError
// (errors::kCannotCreateObject) when the identifier is not registered or the server does not
// start. Initializes COM on the calling thread when needed.
ApplicationPtr CreateAutomationApplication(std::string_view progId);

// The application behind an IDispatch that is already there (takes a reference of its own).
ApplicationPtr WrapAutomationApplication(IDispatch* application);

} // namespace sheets::win32
