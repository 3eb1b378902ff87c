#pragma once
// The identifiers the window tries (kExcelProgIds) as Windows resolves them: to the installed
// spreadsheet application, driven through its automation interface, when CLSIDFromProgID finds
// one; to the embedded engine when none of them is registered.
#include "citylink/sheets/embedded_engine.h"
#include "citylink/sheets/registry.h"

#include <functional>
#include <string_view>

namespace sheets::win32 {

// Registers every identifier of kExcelProgIds. Creating one of them starts the application
// registered under it; when that identifier is not registered but another of the three is,
// creating fails (kCannotCreateObject), so that the caller goes on to the registered one; when
// none is, it creates the embedded engine with `embedded`. `registered` tells whether an
// identifier is registered (by default ProgIdRegistered, asked at each creation).
void RegisterSystemApplications(BackendRegistry& registry, EmbeddedEngineOptions embedded = {},
                                std::function<bool(std::string_view)> registered = {});

} // namespace sheets::win32
