#include "citylink/app/batch_engine.h"

#include "citylink/sheets/calc/calc_backend.h"

namespace citylink {

std::optional<BatchEngine> parseBatchEngine(std::string_view name) {
    if (name == "embedded")
        return BatchEngine::Embedded;
    if (name == "calc")
        return BatchEngine::Calc;
    return std::nullopt;
}

void registerBatchEngine(sheets::BackendRegistry& registry, BatchEngine engine,
                         const sheets::EmbeddedEngineOptions& handOver) {
    if (engine == BatchEngine::Embedded) {
        sheets::RegisterEmbeddedEngine(registry, handOver);
        return;
    }
    sheets::CalcOptions calc;
    calc.copyPath = handOver.outputPath ? handOver.outputPath : sheets::FilledWorkbookPath;
    calc.onCopyStored = handOver.opener;
    sheets::RegisterCalc(registry, sheets::PrivateCalcOffice(), calc);
}

} // namespace citylink
