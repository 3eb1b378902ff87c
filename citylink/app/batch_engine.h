#pragma once
// The spreadsheet application of a batch run, chosen on the command line.
#include "citylink/sheets/embedded_engine.h"
#include "citylink/sheets/registry.h"

#include <optional>
#include <string_view>

namespace citylink {

enum class BatchEngine { Embedded, Calc };

// "embedded" or "calc"; nullopt for anything else.
std::optional<BatchEngine> parseBatchEngine(std::string_view name);

// Registers the engine for the run. Both hand the filled workbook over the same way: a file at
// `handOver.outputPath` (by default "<name>_記入済" beside the workbook), reported to
// `handOver.opener`. With Calc the file is a copy stored by a private headless office that is
// started for the run and stopped when the registry goes; the workbook itself is never stored.
void registerBatchEngine(sheets::BackendRegistry& registry, BatchEngine engine,
                         const sheets::EmbeddedEngineOptions& handOver);

} // namespace citylink
