#include "citylink/app/batch_engine.h"

// Linux: the embedded engine or LibreOffice Calc.
#include "citylink/sheets/calc/calc_backend.h"

namespace citylink {

std::optional<BatchEngine> parseBatchEngine(std::string_view name) {
    if (name == "embedded")
        return BatchEngine::Embedded;
    if (name == "calc")
        return BatchEngine::Calc;
    return std::nullopt;
}

std::string_view batchEngineNames() {
    return "embedded|calc";
}

std::string_view batchEngineHelp() {
    return R"(                      embedded = 組み込みエンジン（既定）。calc = LibreOffice Calc（この実行の
                      ためだけに画面なしで起動し、終了時に止めます）。どちらも元のブックには
                      書き込まず、記入済みのブックを --output（既定は元のブックの横）に保存します。
                      embedded = the built-in engine (default); calc = LibreOffice Calc, started
                      headless for this run only and stopped at its end. Either way the workbook
                      itself is never written; the filled workbook goes to --output.
)";
}

std::string_view batchWorkbookHelp() {
    return R"(記入する時間外保育利用状況表（.xlsx / .xlsm、calc では .xls / .ods も）。
                      元のファイルは変更しません。
                      The city's workbook to fill (.xlsx/.xlsm; with calc also .xls/.ods); it is
                      never changed itself.
)";
}

void registerBatchEngine(sheets::BackendRegistry& registry, BatchEngine engine,
                         const sheets::EmbeddedEngineOptions& handOver) {
    if (engine != BatchEngine::Calc) {
        sheets::RegisterEmbeddedEngine(registry, handOver);
        return;
    }
    sheets::CalcOptions calc;
    calc.copyPath = handOver.outputPath ? handOver.outputPath : sheets::FilledWorkbookPath;
    calc.onCopyStored = handOver.opener;
    sheets::RegisterCalc(registry, sheets::PrivateCalcOffice(), calc);
}

} // namespace citylink
