#include "citylink/core/sheet_session.h"

#include "citylink/core/trapped_error.h"
#include "foundation/utf8_path.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace citylink {
namespace {

// A step must not die in its own error handler: the status label is cosmetic.
void clearStatus(BusyTarget& status) noexcept {
    try {
        status.setStatus("");
    } catch (...) {
    }
}

} // namespace

// The trapped failure of a step in the spreadsheet layer's log form; fallbackNumber for a failure
// that is not the layer's own.
std::string stepFailure(std::string_view procedure, long fallbackNumber) {
    TrappedError error = TrappedError::current(fallbackNumber);
    return automationErrorLogText(procedure, error.description, error.number);
}

SheetSession::SheetSession(const sheets::BackendRegistry& registry, Prompts& prompts, LogSink& log,
                           BusyTarget& status)
    : registry_(registry), prompts_(prompts), log_(log), status_(status) {}

bool SheetSession::xAppOpen() {
    log_.WriteLog("xAppOpen");
    if (xlApp) {
        log_.WriteLog("起動済み");
        return false;
    }
    try {
        xlApp = sheets::CreateFirstAvailable(registry_);
        xlBooks = xlApp->Workbooks();
        xlApp->setVisible(false);
        return true;
    } catch (const std::exception&) {
        log_.WriteLog(stepFailure("xAppOpen", errnum::CannotCreateObject));
    }
    showError(prompts_, "EXCELの起動に失敗しました。");
    clearStatus(status_);
    xlBooks.reset();
    xlApp.reset();
    return false;
}

bool SheetSession::ExcelFileOpen(const std::string& path) {
    log_.WriteLog("ExcelFileOpen開始");
    if (!xlApp || !xlBooks)
        return false;
    // A workbook that does not open must stop the run here: passing over the failure would let a
    // month without extended care end with the finish message although nothing was opened.
    std::string shown = "EXCELファイルのオープンに失敗しました。";
    try {
        // Only a regular file goes to the application: opening a FIFO waits for a writer that
        // never comes, and a device never ends. The clerk is told which file it was.
        std::error_code ec;
        const auto kind = std::filesystem::status(utf8::toPath(path), ec);
        if (!ec && std::filesystem::exists(kind) && !std::filesystem::is_regular_file(kind)) {
            shown += "\n「" + path + "」は通常のファイルではありません。";
            throw sheets::AutomationError("通常のファイルではありません: " + path,
                                          sheets::errors::kApplicationDefined);
        }
        status_.setStatus(Getファイル名(path) + " 読み込み中");
        xlBook = xlBooks->Open(path);
        xlSheets = xlBook->Worksheets();
        return true;
    } catch (const std::exception&) {
        log_.WriteLog(stepFailure("ExcelFileOpen", errnum::ApplicationDefined));
    }
    xlSheets.reset();
    xlBook.reset();
    showError(prompts_, shown);
    clearStatus(status_);
    ExcelClose(path);
    return false;
}

bool SheetSession::ExcelSheetOpen(const std::string& name) {
    log_.WriteLog("ExcelSheetOpen開始");
    if (!xlBook)
        return false;
    try {
        if (!xlSheets)
            xlSheets = xlBook->Worksheets();
        xlSheet = xlSheets->Item(name);
        return true;
    } catch (const std::exception&) {
        log_.WriteLog(stepFailure("ExcelSheetOpen", errnum::SubscriptOutOfRange));
    }
    showError(prompts_, "シートのオープンに失敗しました。");
    clearStatus(status_);
    return false;
}

void SheetSession::ExcelClose(const std::string& /*path*/) {
    log_.WriteLog("ExcelClose");
    if (!xlApp)
        return;
    bool quit = false;
    std::string failure;
    try {
        sheets::WorkbooksPtr books = xlBooks ? xlBooks : xlApp->Workbooks();
        if (books->Count() > 1) {
            log_.WriteLog("システム外起動あり");
        } else {
            log_.WriteLog("システム外起動なし");
            quit = true;
        }
    } catch (const std::exception&) {
        failure = TrappedError::current().logText();
    }
    // From here every failure is passed over: the references go whatever happens.
    xlRange.reset();
    xlSheet.reset();
    xlSheets.reset();
    xlBook.reset();
    xlBooks.reset();
    if (quit) {
        try {
            xlApp->Quit();
        } catch (const std::exception&) {
            if (failure.empty())
                failure = TrappedError::current().logText();
        }
    }
    xlApp.reset();
    if (!failure.empty())
        log_.WriteLog("EXCEL: " + failure);
}

void SheetSession::SetCellValue(std::string_view address, int rowOffset, std::string_view value,
                                int columnOffset) {
    if (address.find_first_not_of(' ') == std::string_view::npos)
        return;
    while (!value.empty() && value.back() == ' ')
        value.remove_suffix(1);
    if (!xlSheet)
        throw sheets::AutomationError("オブジェクト変数が設定されていません。", 91);
    sheets::RangePtr cell = xlSheet->Range(address);
    if (rowOffset != 0 || columnOffset != 0)
        cell = cell->Offset(rowOffset, columnOffset);
    cell->setValue(value);
}

std::string SheetSession::Getファイル名(std::string_view path) {
    std::size_t cut = path.find_last_of("\\/");
    if (cut != std::string_view::npos)
        path.remove_prefix(cut + 1);
    return std::string(path);
}

void SheetSession::ReleaseAll() noexcept {
    xlRange.reset();
    xlSheet.reset();
    xlSheets.reset();
    xlBook.reset();
    xlBooks.reset();
    xlApp.reset();
}

} // namespace citylink
