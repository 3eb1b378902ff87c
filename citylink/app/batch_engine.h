#pragma once
// The spreadsheet application of a batch run, chosen on the command line. Which ones there are is
// the platform's (platform/<os>/batch_engine.cpp): on Linux the embedded engine and LibreOffice
// Calc, on Windows the embedded engine and the installed Excel.
#include "citylink/sheets/embedded_engine.h"
#include "citylink/sheets/registry.h"

#include <optional>
#include <string_view>

namespace citylink {

enum class BatchEngine { Embedded, Calc, Excel };

// The engine of that name ("embedded", and "calc" or "excel"); nullopt for any other.
std::optional<BatchEngine> parseBatchEngine(std::string_view name);

// The names parseBatchEngine takes, for the usage line: "embedded|calc".
std::string_view batchEngineNames();
// The --engine paragraph of --help, Japanese then English, indented as the others.
std::string_view batchEngineHelp();
// The --workbook paragraph from its first line's text on: which workbooks the engines open.
std::string_view batchWorkbookHelp();

// Registers the engine for the run. Embedded and Calc hand the filled workbook over the same way:
// a file at `handOver.outputPath` (by default "<name>_記入済" beside the workbook), reported to
// `handOver.opener`. With Calc the file is a copy stored by a private headless office that is
// started for the run and stopped when the registry goes; the workbook itself is never stored.
// Excel is left open and visible with the filled workbook, unsaved, as the window leaves it; where
// no Excel is registered, the embedded engine does the run with `handOver`.
void registerBatchEngine(sheets::BackendRegistry& registry, BatchEngine engine,
                         const sheets::EmbeddedEngineOptions& handOver);

} // namespace citylink
