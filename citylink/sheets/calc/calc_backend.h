#pragma once
// The spreadsheet layer over LibreOffice Calc, driven through UNO from an office process.
//
// Mapping of the object model:
//   create            connect to an office process (see CalcOffice)
//   Workbooks.Open    load the file hidden (any format Calc reads: .xlsx, .xlsm, .xls, .ods); a
//                     file already open in that office is that open document
//   Workbooks.Count   the spreadsheet documents open in the office, the user's included
//   Worksheets(name)  the sheet of that name, letter case ignored
//   Range / Offset    computed here; no office call until a value is written or read
//   Value = text      one cell: held, and sent with the other held cells of the sheet in a few
//                     blocks when the document is next read, written as a block or shown, or
//                     let go (so a run costs the same calls into the office for 5 children or
//                     50); numeric text is written as a number
//   Value = block     one setDataArray for the whole block
//   UsedRange         the sheet cursor's used area
//   Visible = true    the documents of this application shown in their windows, modified and
//                     unsaved (and, when asked for, a copy stored somewhere else)
//   Quit              closes the documents this application loaded, without saving; the user's
//                     office is terminated only when no other document is left in it
// Releasing the last reference never closes or saves a shown document. A document this
// application loaded and never showed (a run that ended in an error) is closed without saving
// then: otherwise it would stay in the office, hidden, half filled, until the office ends.
#include "citylink/sheets/automation.h"
#include "citylink/sheets/registry.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sheets {

// An office process and the UNO connection to it. Shared by the applications created on it.
class CalcOffice {
public:
    virtual ~CalcOffice() = default;
    // True for the user's own office (which is never stopped by this program).
    virtual bool isUserOffice() const = 0;
    // The process id of a private office while it runs; 0 otherwise (tests check on it).
    virtual long processId() const = 0;
};
using CalcOfficePtr = std::shared_ptr<CalcOffice>;

// Whether this build has the Calc backend and an office with Calc is installed where it was
// built against. Does not start anything. (In the programs, whose functions here come from the
// module loader of calc_loader.h, the first of them loads the module: false when it or the
// office's libraries are missing.)
bool CalcInstalled();
// Whether that office can show windows at all (a build for servers, such as Debian's
// libreoffice-calc-nogui, cannot: a workbook handed to the user there would never appear).
bool CalcShowsWindows();

// A private office: headless, with a temporary user profile, started at the first application
// created on it (start-up waits at most `startTimeout`) and started again when it has gone away.
// It is stopped, and its profile removed, when the last reference goes; it also dies with this
// process, however that ends. Never touches a user's profile.
CalcOfficePtr PrivateCalcOffice(std::chrono::milliseconds startTimeout = std::chrono::seconds(60));

// The user's own office (the user's profile): connected at the first application created on it,
// started when it is not running, reused when it is. Never stopped here.
CalcOfficePtr UserCalcOffice(std::chrono::milliseconds startTimeout = std::chrono::seconds(90));

struct CalcOptions {
    // Where to store a copy of each changed document when the application is shown; the
    // document itself stays open and unsaved. Empty (the default): no copy. A path equal to
    // the document's own file is refused (the show throws).
    std::function<std::filesystem::path(const std::filesystem::path& original)> copyPath;
    // Called with each stored copy. Default: none.
    std::function<void(const std::filesystem::path& copy)> onCopyStored;
};

// A new, invisible application on the office. Throws AutomationError (kCannotCreateObject, with
// the reason) when the office cannot be started or reached.
ApplicationPtr CreateCalcApplication(const CalcOfficePtr& office, CalcOptions options = {});

// Registers Calc on the office under each identifier the window tries.
void RegisterCalc(BackendRegistry& registry, CalcOfficePtr office, CalcOptions options = {});

} // namespace sheets
