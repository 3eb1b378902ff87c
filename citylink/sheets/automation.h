#pragma once
// The spreadsheet application as the usage-sheet run drives it: an application created by
// programmatic identifier, its workbooks (Open, Count), a workbook's worksheets by name, Range by
// A1 address with Offset, Value set to one text or to a two-dimensional block, Visible and Quit.
//
// References behave like automation object references: every object is held through a
// std::shared_ptr and "releasing a reference" is reset(). An object stays usable while any
// reference to it is held, whatever happens to the references it came from.
//
// Every operation may throw AutomationError; nothing else escapes (std::bad_alloc aside).
#include "foundation/numbered_error.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sheets {

// A failed operation: the description and the number the run logs as "description( number)".
class AutomationError : public NumberedError {
public:
    using NumberedError::NumberedError;
};

// The numbers the backends use, named for this layer (the list itself is errnum's).
namespace errors {
inline constexpr long kCannotCreateObject = errnum::CannotCreateObject; // no such identifier
inline constexpr long kSubscriptOutOfRange =
    errnum::SubscriptOutOfRange;                                        // no worksheet of that name
inline constexpr long kApplicationDefined = errnum::ApplicationDefined; // open/save/address/block
inline constexpr long kObjectGone = errnum::ObjectGone;                 // the application has quit
} // namespace errors

// A rectangular block of cell values: rows of cells, every row as long as the first.
using Block = std::vector<std::vector<std::string>>;

class Application;
class Workbooks;
class Workbook;
class Worksheets;
class Worksheet;
class Range;
using ApplicationPtr = std::shared_ptr<Application>;
using WorkbooksPtr = std::shared_ptr<Workbooks>;
using WorkbookPtr = std::shared_ptr<Workbook>;
using WorksheetsPtr = std::shared_ptr<Worksheets>;
using WorksheetPtr = std::shared_ptr<Worksheet>;
using RangePtr = std::shared_ptr<Range>;

// One cell or a rectangle of cells of a worksheet.
//
// Assigned values are UTF-8 texts, stored the way a spreadsheet application stores an assigned
// text: a text that reads as a number becomes that number ("07" -> 7, "1.5" -> 1.5), any other
// text stays text, and an empty text clears the cell's value. The cell's formatting is kept; a
// formula in a written cell is replaced by the value.
class Range {
public:
    virtual ~Range() = default;
    // The address in A1 form without dollar signs: "X6" or "X6:BB9".
    virtual std::string Address() const = 0;
    // The range of the same size moved by rows down and cols right (negative: up, left).
    // Throws (kApplicationDefined) when the result leaves the sheet.
    virtual RangePtr Offset(int rows, int cols) = 0;
    // Sets every cell of the range to the text.
    virtual void setValue(std::string_view text) = 0;
    // Sets the whole range from the block in one operation. The block must have exactly the
    // range's number of rows and columns; otherwise nothing is written and kApplicationDefined is
    // thrown.
    virtual void setValues(const Block& block) = 0;
    // The value of the range's top-left cell as text ("" when empty; a number in its shortest
    // form, "7" or "1.5"; a formula cell's last computed value). Not used by the run; it lets
    // tests and callers read back what they wrote.
    virtual std::string Value() const = 0;
};

class Worksheet {
public:
    virtual ~Worksheet() = default;
    virtual std::string Name() const = 0;
    // The cell or rectangle at an A1 address ("X6", "$X$6", "x6:bb9"); throws
    // (kApplicationDefined) on an address that is not one.
    virtual RangePtr Range(std::string_view a1) = 0;
    // The used area: the smallest rectangle holding every cell with a value or a format, as the
    // application's UsedRange. The run learns from it where the form ends before it writes.
    // nullptr when the backend cannot tell (or the sheet is empty).
    virtual RangePtr UsedRange() { return nullptr; }
};

class Worksheets {
public:
    virtual ~Worksheets() = default;
    virtual int Count() const = 0;
    // The sheet of that name; names compare as the spreadsheet application compares them
    // (letter case ignored). Throws (kSubscriptOutOfRange) when there is none.
    virtual WorksheetPtr Item(std::string_view name) = 0;
};

class Workbook {
public:
    virtual ~Workbook() = default;
    // The file name ("時間外保育利用状況表.xlsx") and the full path it was opened from.
    virtual std::string Name() const = 0;
    virtual std::string FullName() const = 0;
    virtual WorksheetsPtr Worksheets() = 0;
};

class Workbooks {
public:
    virtual ~Workbooks() = default;
    // Workbooks open in the application, including ones that were open before the run.
    virtual int Count() const = 0;
    // Opens the workbook at the path (UTF-8). Throws (kApplicationDefined, with the reason) when
    // it cannot.
    virtual WorkbookPtr Open(std::string_view path) = 0;
};

class Application {
public:
    virtual ~Application() = default;
    virtual WorkbooksPtr Workbooks() = 0;
    virtual bool Visible() const = 0;
    // Showing the application hands its workbooks to the user. (The embedded engine saves each
    // changed workbook as a new file beside the original at that moment and opens it; see
    // embedded_engine.h.)
    virtual void setVisible(bool visible) = 0;
    // Ends the application; changes not handed to the user are discarded. Every later call on
    // any of its objects throws (kObjectGone).
    virtual void Quit() = 0;
};

} // namespace sheets
