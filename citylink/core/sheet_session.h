#pragma once
// The main window's small layer over the spreadsheet application for one usage-sheet run: start an
// instance, open the clerk's workbook, take a sheet by name, write cells, let the application go.
// Every operation logs its start; failures are logged and shown before the operation returns false.
#include "citylink/core/busy_guard.h"
#include "citylink/sheets/automation.h"
#include "citylink/sheets/registry.h"
#include "foundation/log_sink.h"
#include "foundation/prompts.h"

#include <string>
#include <string_view>

namespace citylink {

// "description( number)": how this layer logs a trapped automation error after its "name: ".

class SheetSession {
public:
    // `status` is the window's status label (only its text is used).
    SheetSession(const sheets::BackendRegistry& registry, Prompts& prompts, LogSink& log,
                 BusyTarget& status);

    // Makes sure an application instance is held: creates one by the first identifier that the
    // registry resolves ("Excel.Application.15", "Excel.Application", "Excel.Application.16"),
    // takes its workbooks and hides it. False, after logging "起動済み", when one is already held;
    // false after "EXCELの起動に失敗しました。" (critical, "エラー") when none can be created.
    bool xAppOpen();

    // Opens the workbook at the path in the held application and takes its worksheets.
    //   true:  the workbook is held;
    //   false: no application held (nothing shown), or the open failed: logged as
    //          "ExcelFileOpen: description( number)", "EXCELファイルのオープンに失敗しました。"
    //          shown (critical, "エラー"), status cleared and the application let go (ExcelClose).
    //          A path that is no regular file (a FIFO, a device, a folder) is never handed to the
    //          application; the message names it on a second line.
    bool ExcelFileOpen(const std::string& path);

    // Takes the named sheet of the held workbook as the run's sheet. False without a message when
    // no workbook is held; false after "シートのオープンに失敗しました。" (critical, "エラー") and
    // the log line "ExcelSheetOpen: description( number)" when there is no such sheet.
    bool ExcelSheetOpen(const std::string& name);

    // Lets the application go: releases every reference and quits the application unless it holds
    // other workbooks too ("システム外起動あり"). Never throws; a failure is logged as
    // "EXCEL: description(number)". The path is accepted for the callers' sake and not used.
    void ExcelClose(const std::string& path);

    // Writes the value with trailing blanks removed into the cell at the A1 address of the run's
    // sheet, moved by the offsets. An empty or blank address writes nothing. Automation errors
    // propagate to the run.
    void SetCellValue(std::string_view address, int rowOffset, std::string_view value,
                      int columnOffset);

    // The last component of a path ("C:\a\b.xlsx" and "/a/b.xlsx" give "b.xlsx"); "" when there is
    // none (an empty path or one ending in a separator).
    static std::string Getファイル名(std::string_view path);

    // Releases the references without quitting, in the order range, sheet, worksheets, workbook,
    // workbooks, application. Never throws.
    void ReleaseAll() noexcept;

    // The references the run holds (empty when not held).
    sheets::ApplicationPtr xlApp;
    sheets::WorkbooksPtr xlBooks;
    sheets::WorkbookPtr xlBook;
    sheets::WorksheetsPtr xlSheets;
    sheets::WorksheetPtr xlSheet;
    sheets::RangePtr xlRange;

private:
    const sheets::BackendRegistry& registry_;
    Prompts& prompts_;
    LogSink& log_;
    BusyTarget& status_;
};

} // namespace citylink
