// Windows: the embedded engine or the installed Excel, found as the window finds it.
#include "citylink/app/batch_engine.h"

#include "citylink/sheets/platform/win32/system_applications.h"

namespace citylink {

std::optional<BatchEngine> parseBatchEngine(std::string_view name) {
    if (name == "embedded")
        return BatchEngine::Embedded;
    if (name == "excel")
        return BatchEngine::Excel;
    return std::nullopt;
}

std::string_view batchEngineNames() {
    return "embedded|excel";
}

std::string_view batchEngineHelp() {
    return R"(                      embedded = 組み込みエンジン（既定）。記入済みのブックを --output（既定は
                      元のブックの横）に保存します。excel = インストールされた Excel
                      （Excel.Application.15、Excel.Application、Excel.Application.16 の順）。
                      画面と同じく、記入したブックを保存せずに表示したまま残します。Excel が
                      なければ組み込みエンジンで実行します。
                      embedded = the built-in engine (default); the filled workbook goes to
                      --output. excel = the installed Excel (Excel.Application.15, then
                      Excel.Application, then Excel.Application.16), left open and visible with
                      the filled workbook, unsaved, as the window leaves it; without an Excel the
                      built-in engine does the run. The workbook itself is never written.
)";
}

std::string_view batchWorkbookHelp() {
    return R"(記入する時間外保育利用状況表（.xlsx / .xlsm、excel では Excel で開ける
                      ブックも）。元のファイルは変更しません。
                      The city's workbook to fill (.xlsx/.xlsm; with excel any workbook Excel
                      opens); it is never changed itself.
)";
}

void registerBatchEngine(sheets::BackendRegistry& registry, BatchEngine engine,
                         const sheets::EmbeddedEngineOptions& handOver) {
    if (engine == BatchEngine::Excel) {
        sheets::win32::RegisterSystemApplications(registry, handOver);
        return;
    }
    sheets::RegisterEmbeddedEngine(registry, handOver);
}

} // namespace citylink
