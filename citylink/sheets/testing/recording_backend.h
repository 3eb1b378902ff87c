#pragma once
// Test double of the spreadsheet application: records every call in order as readable text,
// keeps the values written, and can be told which identifiers exist, which sheets a workbook
// has, which calls fail and how many other workbooks the application already holds.
//
//   auto excel = std::make_shared<sheets::doubles::RecordingBackend>();
//   excel->progIds = {"Excel.Application"};          // only this identifier creates
//   excel->setSheets("/in/book.xlsx", {"利用状況表（保育短時間）"});
//   excel->registerIn(registry);
//   ... run ...
//   EXPECT_EQ(excel->cell("利用状況表（保育短時間）", "C6"), "ﾔﾏﾀﾞ ﾀﾛｳ");
//
// Recorded calls (exact texts):
//   "CreateObject(<progId>)"            an application was created
//   "Workbooks"  "Workbooks.Count"  "Open(<path>)"  "Worksheets"  "Worksheets(<name>)"
//   "Range(<address as given>)"         Worksheet::Range
//   "Range(<A>).Offset(<r>,<c>)"        A is the address of the range the offset starts from
//   "Range(<A>).Value=<text>"           one value
//   "Range(<A>).Value=<R>x<C> block"    a block of R rows by C columns, e.g. "<4x31 block>"
//                                       is written as "Range(X6:BB9).Value=<4x31 block>"
//   "Visible=true"  "Visible=false"  "Quit"
//   (Worksheet::UsedRange is not recorded: it answers book(path).usedRanges, nullptr without.)
//   "Release Application" "Release Workbooks" "Release Workbook" "Release Worksheets"
//   "Release Worksheet"                 the last reference to that object was dropped
// A call that fails is recorded all the same, before it throws.
#include "citylink/sheets/automation.h"
#include "citylink/sheets/registry.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sheets::doubles {

class RecordingBackend : public std::enable_shared_from_this<RecordingBackend> {
public:
    // --- what the double pretends -------------------------------------------------------------
    // Identifiers that create an application (registerIn registers exactly these).
    std::vector<std::string> progIds{"Excel.Application.15"};
    // Sheets of any workbook not given its own with setSheets.
    std::vector<std::string> defaultSheets{"Sheet1"};
    // Workbooks open in the application before the run (they count in Workbooks.Count).
    int otherWorkbooks = 0;

    void setSheets(std::string path, std::vector<std::string> sheets);
    // Open(path) of that path throws this error.
    void failOpen(std::string path, std::string description = "ファイルを開けません",
                  long number = errors::kApplicationDefined);
    // Any call whose recorded text starts with the prefix throws this error (after being
    // recorded), e.g. failOn("Range(X6:BB9).Value", ...) or failOn("Visible=true", ...).
    void failOn(std::string callPrefix, std::string description = "failed by the test",
                long number = errors::kApplicationDefined);

    // Registers a factory for each of progIds; the factories keep this double alive.
    void registerIn(BackendRegistry& registry);
    // An application as a registered factory makes it (records "CreateObject(<progId>)").
    ApplicationPtr createApplication(std::string_view progId);

    // --- what happened -------------------------------------------------------------------------
    const std::vector<std::string>& calls() const { return calls_; }
    // The calls that start with none of the prefixes (e.g. {"Release"}).
    std::vector<std::string> callsWithout(const std::vector<std::string>& prefixes) const;
    void clearCalls() { calls_.clear(); }
    // The text last written to the cell ("X6") of the sheet in the workbook last opened (or the
    // one at path); "" when nothing was written there.
    std::string cell(std::string_view sheet, std::string_view a1) const;
    std::string cell(std::string_view path, std::string_view sheet, std::string_view a1) const;
    // Every written cell of a sheet of the last opened workbook: address -> text.
    std::map<std::string, std::string> writtenCells(std::string_view sheet) const;
    int applicationsCreated() const { return applicationsCreated_; }
    bool quitCalled() const { return quit_; }
    bool visible() const { return visible_; }
    // Objects (application, collections, workbooks, sheets) created and not yet released.
    int liveObjects() const { return live_; }

    // --- used by the double's objects ---------------------------------------------------------
    // Records the call and throws when a failOn prefix matches it.
    void record(std::string call);
    void objectCreated() { ++live_; }
    void objectReleased(std::string_view kind);
    void setVisible(bool visible) { visible_ = visible; }
    void setQuit() { quit_ = true; }
    struct Book {
        std::vector<std::string> sheets;
        std::optional<std::pair<std::string, long>> openError;
        // sheet name -> address ("X6") -> text
        std::map<std::string, std::map<std::string, std::string>> cells;
        // sheet name -> the address Worksheet::UsedRange answers ("A1:BC246"); none: nullptr
        std::map<std::string, std::string> usedRanges;
    };
    Book& book(const std::string& path);
    const Book* findBook(std::string_view path) const;
    std::string lastOpened;

private:
    std::vector<std::string> calls_;
    std::vector<std::pair<std::string, std::pair<std::string, long>>> failures_;
    std::map<std::string, Book, std::less<>> books_;
    int applicationsCreated_ = 0;
    int live_ = 0;
    bool quit_ = false;
    bool visible_ = false;
};

} // namespace sheets::doubles
