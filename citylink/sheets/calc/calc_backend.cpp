#include "citylink/sheets/calc/calc_backend.h"

#include "citylink/sheets/a1.h"
#include "citylink/sheets/calc/calc_office.h"
#include "citylink/sheets/xlsx/cell_text.h"

#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XLayoutManager.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <osl/file.hxx>

#include <algorithm>
#include <charconv>
#include <map>
#include <system_error>

namespace sheets {
namespace {

namespace css = com::sun::star;
namespace uno = com::sun::star::uno;
namespace fs = std::filesystem;
using calc::FromUtf8;
using calc::Translate;
using calc::Utf8;
using rtl::OUString;
using uno::Any;
using uno::Reference;
using uno::Sequence;
using uno::UNO_QUERY;
using uno::UNO_QUERY_THROW;

std::string utf8(const fs::path& p) {
    auto s = p.u8string();
    return std::string(s.begin(), s.end());
}

fs::path fromUtf8(std::string_view s) {
    return fs::path(std::u8string(s.begin(), s.end()));
}

OUString fileUrl(const fs::path& path) {
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(FromUtf8(utf8(path)), url) != osl::FileBase::E_None)
        throw AutomationError("not a file path: " + utf8(path), errors::kApplicationDefined);
    return url;
}

// An assigned text as the cell value a spreadsheet application stores: a number when the text
// reads as one (Calc's setDataArray would keep "16" as text), otherwise the text; an empty text
// clears the cell.
Any cellValue(std::string_view text) {
    if (std::optional<std::string> number = xlsx::NumberLiteral(text)) {
        double d = 0;
        auto [end, ec] = std::from_chars(number->data(), number->data() + number->size(), d);
        if (ec == std::errc() && end == number->data() + number->size())
            return Any(d);
    }
    return Any(FromUtf8(xlsx::SanitizeUtf8(text)));
}

// A cell value read back as text: a number in its shortest form ("7", "1.5").
std::string cellText(const Any& value) {
    double d = 0;
    if (value >>= d) {
        char buf[64];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
        return ec == std::errc() ? std::string(buf, end) : std::string();
    }
    OUString s;
    if (value >>= s)
        return Utf8(s);
    return {};
}

// Shows the window of a document that was loaded hidden. The frame's outer window alone would come
// up bare (no menu bar, tool bars, formula bar or status bar): the office sets those up when the
// document's own window inside it is first shown, and the frame becomes the active one.
void showFrame(const Reference<css::frame::XFrame>& frame) {
    frame->getContainerWindow()->setVisible(true);
    frame->getComponentWindow()->setVisible(true);
    frame->activate();
}

void closeWithoutSaving(const Reference<css::lang::XComponent>& component) noexcept {
    try {
        Reference<css::util::XModifiable> modifiable(component, UNO_QUERY);
        if (modifiable.is())
            modifiable->setModified(false);
        Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else if (component.is())
            component->dispose();
    } catch (...) {
        // Closing is the last thing done with the document; there is nobody to tell.
    }
}

// The filter that writes the copy in the format its file name says; the document's own
// format for any other name.
OUString filterFor(const fs::path& copy, const Reference<css::frame::XModel>& model) {
    std::string ext = copy.extension().string();
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (ext == ".xlsx")
        return "Calc MS Excel 2007 XML";
    if (ext == ".xlsm")
        return "Calc MS Excel 2007 VBA XML";
    if (ext == ".xls")
        return "MS Excel 97";
    if (ext == ".ods")
        return "calc8";
    for (const css::beans::PropertyValue& p : model->getArgs())
        if (p.Name == "FilterName") {
            OUString name;
            p.Value >>= name;
            return name;
        }
    return "Calc MS Excel 2007 XML";
}

css::beans::PropertyValue property(const char* name, Any value) {
    css::beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = std::move(value);
    return p;
}

Sequence<css::beans::PropertyValue>
properties(std::initializer_list<css::beans::PropertyValue> list) {
    return Sequence<css::beans::PropertyValue>(list.begin(), static_cast<sal_Int32>(list.size()));
}

// Single-cell values written to one sheet and not yet sent to the office. Each call into the office
// is a round trip to another process, and one cell would cost two or three of them (the cell's
// object, its interface, the value); held here, the cells of a whole run go in a few blocks.
struct SheetWrites {
    Reference<css::sheet::XSpreadsheet> sheet;
    std::string name;
    std::map<std::pair<int, int>, Any> cells; // (column, row), 1-based -> value

    // Sends the held cells in as few rectangles as the sheet allows. A rectangle may take in cells
    // that are not written only where they are empty (no value, formula, text or note) and so
    // stay as they are: between two children's name cells lie the empty rest of the first
    // child's merged name cell, but beside a birth year the form's label "年". Cleared first:
    // a failed send is not tried again at every later flush.
    void flush();
};
using SheetWritesPtr = std::shared_ptr<SheetWrites>;

struct Doc {
    Reference<css::lang::XComponent> component;
    Reference<css::sheet::XSpreadsheetDocument> spreadsheet;
    fs::path file;
    OUString url;
    bool loadedHere = false; // loaded by this application, hidden
    bool shown = false;
    std::vector<SheetWritesPtr> writes; // one per sheet written to

    SheetWritesPtr writesFor(const Reference<css::sheet::XSpreadsheet>& sheet,
                             const std::string& name) {
        for (const SheetWritesPtr& w : writes)
            if (w->name == name)
                return w;
        auto w = std::make_shared<SheetWrites>();
        w->sheet = sheet;
        w->name = name;
        writes.push_back(w);
        return w;
    }
    // Every held cell reaches the office: before anything that reads the document, writes a
    // block into it, or hands it to the user.
    void flush() {
        for (const SheetWritesPtr& w : writes)
            w->flush();
    }
    void flushQuietly() noexcept {
        try {
            flush();
        } catch (...) {
            // Called when the document is let go: nobody is left to tell.
        }
    }
};
using DocPtr = std::shared_ptr<Doc>;

// The rows of one column that a rectangle covers: first to last, 1-based.
struct Run {
    int first;
    int last;
    bool operator==(const Run&) const = default;
};

void SheetWrites::flush() {
    if (cells.empty())
        return;
    std::map<std::pair<int, int>, Any> held;
    held.swap(cells);
    int left = held.begin()->first.first, right = left;
    int top = held.begin()->first.second, bottom = top;
    for (const auto& [at, value] : held) {
        left = std::min(left, at.first);
        right = std::max(right, at.first);
        top = std::min(top, at.second);
        bottom = std::max(bottom, at.second);
    }
    // What the rectangles must leave alone: the occupied cells around the written ones.
    Sequence<css::table::CellRangeAddress> occupied;
    if (held.size() > 1) {
        using namespace css::sheet::CellFlags;
        Reference<css::sheet::XCellRangesQuery> box(
            sheet->getCellRangeByPosition(left - 1, top - 1, right - 1, bottom - 1),
            UNO_QUERY_THROW);
        occupied = box->queryContentCells(VALUE | DATETIME | STRING | ANNOTATION | FORMULA)
                       ->getRangeAddresses();
    }
    // Whether any cell of the column strictly between two rows holds something.
    auto blocked = [&](int column, int after, int before) {
        for (const css::table::CellRangeAddress& a : occupied)
            if (a.StartColumn <= column - 1 && a.EndColumn >= column - 1 &&
                a.StartRow <= before - 2 && a.EndRow >= after)
                return true;
        return false;
    };
    // Per column, the written rows joined into runs over empty cells; then neighbouring columns
    // with the same runs joined into one rectangle.
    struct Rect {
        Run rows;
        int left;
        int right;
    };
    std::vector<Rect> rects;
    std::vector<std::size_t> open; // rectangles that reach the previous column
    auto it = held.begin();
    while (it != held.end()) {
        const int column = it->first.first;
        std::vector<Run> runs;
        for (; it != held.end() && it->first.first == column; ++it) {
            const int row = it->first.second;
            if (!runs.empty() && !blocked(column, runs.back().last, row))
                runs.back().last = row;
            else
                runs.push_back({row, row});
        }
        std::vector<std::size_t> next;
        for (const Run& run : runs) {
            auto same = std::find_if(open.begin(), open.end(), [&](std::size_t i) {
                return rects[i].rows == run && rects[i].right == column - 1;
            });
            if (same != open.end()) {
                rects[*same].right = column;
                next.push_back(*same);
            } else {
                rects.push_back({run, column, column});
                next.push_back(rects.size() - 1);
            }
        }
        open.swap(next);
    }
    // The cells of a rectangle that are not written get the empty text, which leaves an empty
    // cell empty (an empty Any would make it the error #N/A).
    for (const Rect& r : rects) {
        Sequence<Sequence<Any>> data(r.rows.last - r.rows.first + 1);
        for (int row = r.rows.first; row <= r.rows.last; ++row) {
            Sequence<Any> line(r.right - r.left + 1);
            for (int column = r.left; column <= r.right; ++column) {
                auto cell = held.find({column, row});
                line.getArray()[column - r.left] =
                    cell != held.end() ? cell->second : Any(OUString());
            }
            data.getArray()[row - r.rows.first] = line;
        }
        Reference<css::sheet::XCellRangeData>(
            sheet->getCellRangeByPosition(r.left - 1, r.rows.first - 1, r.right - 1,
                                          r.rows.last - 1),
            UNO_QUERY_THROW)
            ->setDataArray(data);
    }
}

struct AppState {
    CalcOfficePtr officeHolder;
    calc::Office* office = nullptr;
    Reference<css::frame::XDesktop2> desktop;
    CalcOptions options;
    std::vector<DocPtr> docs;
    bool visible = false;
    bool quit = false;

    ~AppState() {
        // A document this application loaded and never showed is a run that did not finish:
        // close it rather than leave it hidden in the office. Any other stays open, with every
        // value written to it.
        for (const DocPtr& doc : docs) {
            if (doc->loadedHere && !doc->shown)
                closeWithoutSaving(doc->component);
            else
                doc->flushQuietly();
        }
    }

    void check() const {
        if (quit)
            throw AutomationError("the application has quit", errors::kObjectGone);
    }
    void checkDoc(const DocPtr& doc) const {
        check();
        for (const DocPtr& d : docs)
            if (d == doc)
                return;
        throw AutomationError("the workbook is no longer open", errors::kObjectGone);
    }
};
using State = std::shared_ptr<AppState>;

class CalcRange : public Range {
public:
    CalcRange(State app, DocPtr doc, SheetWritesPtr writes, RangeRef ref)
        : app_(std::move(app)), doc_(std::move(doc)), writes_(std::move(writes)),
          sheet_(writes_->sheet), ref_(ref) {}

    std::string Address() const override { return RangeAddress(ref_); }

    RangePtr Offset(int rows, int cols) override {
        app_->checkDoc(doc_);
        long long top = static_cast<long long>(ref_.first.row) + rows;
        long long left = static_cast<long long>(ref_.first.col) + cols;
        long long bottom = static_cast<long long>(ref_.last.row) + rows;
        long long right = static_cast<long long>(ref_.last.col) + cols;
        if (top < 1 || left < 1 || bottom > kMaxRow || right > kMaxColumn)
            throw AutomationError("the offset range leaves the sheet: " + Address(),
                                  errors::kApplicationDefined);
        RangeRef moved{{static_cast<int>(top), static_cast<int>(left)},
                       {static_cast<int>(bottom), static_cast<int>(right)}};
        return std::make_shared<CalcRange>(app_, doc_, writes_, moved);
    }

    void setValue(std::string_view text) override {
        app_->checkDoc(doc_);
        Any value = cellValue(text);
        if (ref_.rows() == 1 && ref_.cols() == 1) {
            // Held until the document is next read, written as a block or shown (see SheetWrites).
            writes_->cells[{ref_.first.col, ref_.first.row}] = std::move(value);
            return;
        }
        if (static_cast<long long>(ref_.rows()) * ref_.cols() > 1'000'000)
            throw AutomationError("the range is too large to fill: " + Address(),
                                  errors::kApplicationDefined);
        Sequence<Any> row(ref_.cols());
        for (sal_Int32 c = 0; c < row.getLength(); ++c)
            row.getArray()[c] = value;
        Sequence<Sequence<Any>> data(ref_.rows());
        for (sal_Int32 r = 0; r < data.getLength(); ++r)
            data.getArray()[r] = row;
        put(data);
    }

    void setValues(const Block& block) override {
        app_->checkDoc(doc_);
        bool fits = block.size() == static_cast<std::size_t>(ref_.rows());
        for (const auto& row : block)
            fits = fits && row.size() == static_cast<std::size_t>(ref_.cols());
        if (!fits)
            throw AutomationError("the value block does not match the range " + Address(),
                                  errors::kApplicationDefined);
        Sequence<Sequence<Any>> data(ref_.rows());
        Sequence<Any>* rows = data.getArray();
        for (std::size_t r = 0; r < block.size(); ++r) {
            Sequence<Any> cells(ref_.cols());
            Any* out = cells.getArray();
            for (std::size_t c = 0; c < block[r].size(); ++c)
                out[static_cast<sal_Int32>(c)] = cellValue(block[r][c]);
            rows[static_cast<sal_Int32>(r)] = cells;
        }
        put(data);
    }

    std::string Value() const override {
        app_->checkDoc(doc_);
        try {
            doc_->flush();
            Sequence<Sequence<Any>> data = cells(ref_.first, ref_.first)->getDataArray();
            return data.getLength() > 0 && data[0].getLength() > 0 ? cellText(data[0][0])
                                                                   : std::string();
        } catch (const uno::Exception& e) {
            throw Translate("Range.Value", e, errors::kApplicationDefined);
        }
    }

private:
    Reference<css::sheet::XCellRangeData> cells(CellRef first, CellRef last) const {
        return Reference<css::sheet::XCellRangeData>(
            sheet_->getCellRangeByPosition(first.col - 1, first.row - 1, last.col - 1,
                                           last.row - 1),
            UNO_QUERY_THROW);
    }

    // The whole range in one call (after the range's own look-up), after the cells written before.
    void put(const Sequence<Sequence<Any>>& data) {
        try {
            doc_->flush();
            cells(ref_.first, ref_.last)->setDataArray(data);
        } catch (const uno::Exception& e) {
            throw Translate("Range.Value", e, errors::kApplicationDefined);
        }
    }

    State app_;
    DocPtr doc_;
    SheetWritesPtr writes_;
    Reference<css::sheet::XSpreadsheet> sheet_;
    RangeRef ref_;
};

class CalcWorksheet : public Worksheet {
public:
    CalcWorksheet(State app, DocPtr doc, const Reference<css::sheet::XSpreadsheet>& sheet,
                  const std::string& name)
        : app_(std::move(app)), doc_(std::move(doc)), writes_(doc_->writesFor(sheet, name)) {}
    std::string Name() const override { return writes_->name; }
    RangePtr Range(std::string_view a1) override {
        app_->checkDoc(doc_);
        auto ref = ParseRange(a1);
        if (!ref)
            throw AutomationError("not a cell address: " + std::string(a1),
                                  errors::kApplicationDefined);
        return std::make_shared<CalcRange>(app_, doc_, writes_, *ref);
    }

    // The cell cursor's used area: the cells with content or a visible format. A sheet whose
    // area is the lone cell A1 holding nothing at all is empty.
    RangePtr UsedRange() override {
        app_->checkDoc(doc_);
        try {
            doc_->flush();
            Reference<css::sheet::XSheetCellCursor> cursor = writes_->sheet->createCursor();
            Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
            used->gotoStartOfUsedArea(false);
            used->gotoEndOfUsedArea(true);
            css::table::CellRangeAddress a =
                Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)
                    ->getRangeAddress();
            RangeRef area{{a.StartRow + 1, a.StartColumn + 1}, {a.EndRow + 1, a.EndColumn + 1}};
            if (area.rows() == 1 && area.cols() == 1 && area.first.row == 1 &&
                area.first.col == 1) {
                using namespace css::sheet::CellFlags;
                Reference<css::sheet::XCellRangesQuery> query(cursor, UNO_QUERY_THROW);
                if (!query
                         ->queryContentCells(VALUE | DATETIME | STRING | ANNOTATION | FORMULA |
                                             HARDATTR | EDITATTR | FORMATTED)
                         ->getRangeAddresses()
                         .hasElements())
                    return nullptr;
            }
            return std::make_shared<CalcRange>(app_, doc_, writes_, area);
        } catch (const uno::Exception& e) {
            throw Translate("UsedRange", e, errors::kApplicationDefined);
        }
    }

private:
    State app_;
    DocPtr doc_;
    SheetWritesPtr writes_;
};

class CalcWorksheets : public Worksheets {
public:
    CalcWorksheets(State app, DocPtr doc) : app_(std::move(app)), doc_(std::move(doc)) {}
    int Count() const override {
        app_->checkDoc(doc_);
        try {
            return doc_->spreadsheet->getSheets()->getElementNames().getLength();
        } catch (const uno::Exception& e) {
            throw Translate("Worksheets.Count", e, errors::kApplicationDefined);
        }
    }
    WorksheetPtr Item(std::string_view name) override {
        app_->checkDoc(doc_);
        try {
            Reference<css::sheet::XSpreadsheets> sheets = doc_->spreadsheet->getSheets();
            // Calc finds sheets by exact name; the spreadsheet layer ignores letter case.
            for (const OUString& candidate : sheets->getElementNames()) {
                std::string text = Utf8(candidate);
                if (!xlsx::SameSheetName(text, name))
                    continue;
                Reference<css::sheet::XSpreadsheet> sheet(sheets->getByName(candidate),
                                                          UNO_QUERY_THROW);
                return std::make_shared<CalcWorksheet>(app_, doc_, sheet, text);
            }
        } catch (const uno::Exception& e) {
            throw Translate("Worksheets", e, errors::kSubscriptOutOfRange);
        }
        throw AutomationError("no worksheet of this name: " + std::string(name),
                              errors::kSubscriptOutOfRange);
    }

private:
    State app_;
    DocPtr doc_;
};

class CalcWorkbook : public Workbook {
public:
    CalcWorkbook(State app, DocPtr doc) : app_(std::move(app)), doc_(std::move(doc)) {}
    std::string Name() const override { return utf8(doc_->file.filename()); }
    std::string FullName() const override { return utf8(doc_->file); }
    WorksheetsPtr Worksheets() override {
        app_->checkDoc(doc_);
        return std::make_shared<CalcWorksheets>(app_, doc_);
    }

private:
    State app_;
    DocPtr doc_;
};

// The office's open spreadsheet documents, in its own order.
std::vector<Reference<css::sheet::XSpreadsheetDocument>>
openSpreadsheets(const Reference<css::frame::XDesktop2>& desktop) {
    std::vector<Reference<css::sheet::XSpreadsheetDocument>> result;
    Reference<css::container::XEnumeration> e = desktop->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<css::sheet::XSpreadsheetDocument> doc(e->nextElement(), UNO_QUERY);
        if (doc.is())
            result.push_back(doc);
    }
    return result;
}

class CalcWorkbooks : public Workbooks {
public:
    explicit CalcWorkbooks(State app) : app_(std::move(app)) {}

    int Count() const override {
        app_->check();
        try {
            return static_cast<int>(openSpreadsheets(app_->desktop).size());
        } catch (const uno::Exception& e) {
            throw Translate("Workbooks.Count", e, errors::kApplicationDefined);
        }
    }

    WorkbookPtr Open(std::string_view path) override {
        app_->check();
        fs::path file = fromUtf8(path);
        std::error_code ec;
        if (!fs::is_regular_file(file, ec))
            throw AutomationError("the file does not exist: " + std::string(path),
                                  errors::kApplicationDefined);
        file = fs::weakly_canonical(fs::absolute(file, ec), ec);
        OUString url = fileUrl(file);
        for (const DocPtr& doc : app_->docs)
            if (doc->url == url)
                return std::make_shared<CalcWorkbook>(app_, doc);
        auto doc = std::make_shared<Doc>();
        doc->file = file;
        doc->url = url;
        try {
            // The same file already open in the office (the clerk's, or an earlier run's) is
            // that document: a second run fills the same document.
            for (const auto& open : openSpreadsheets(app_->desktop)) {
                Reference<css::frame::XModel> model(open, UNO_QUERY);
                if (model.is() && model->getURL() == url) {
                    doc->component.set(open, UNO_QUERY_THROW);
                    doc->spreadsheet = open;
                    break;
                }
            }
            if (!doc->spreadsheet.is())
                load(*doc);
        } catch (const AutomationError&) {
            throw;
        } catch (const uno::Exception& e) {
            throw Translate(("Workbooks.Open " + std::string(path)).c_str(), e,
                            errors::kApplicationDefined);
        }
        app_->docs.push_back(doc);
        return std::make_shared<CalcWorkbook>(app_, doc);
    }

private:
    // Hidden until the application is shown; no macros run, no links updated, and no dialog
    // (there is no interaction handler): a file that needs a question answered fails to load.
    void load(Doc& doc) {
        Reference<css::frame::XComponentLoader> loader(app_->desktop, UNO_QUERY_THROW);
        Sequence<css::beans::PropertyValue> args = properties(
            {property("Hidden", Any(true)),
             property("MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)),
             property("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE))});
        Reference<css::lang::XComponent> component =
            loader->loadComponentFromURL(doc.url, "_blank", 0, args);
        if (!component.is())
            throw AutomationError("the office could not load " + utf8(doc.file),
                                  errors::kApplicationDefined);
        doc.spreadsheet.set(component, UNO_QUERY);
        if (!doc.spreadsheet.is()) {
            closeWithoutSaving(component);
            throw AutomationError("not a spreadsheet: " + utf8(doc.file),
                                  errors::kApplicationDefined);
        }
        doc.component = component;
        doc.loadedHere = true;
    }

    State app_;
};

class CalcApplication : public Application {
public:
    explicit CalcApplication(State app) : app_(std::move(app)) {}
    WorkbooksPtr Workbooks() override {
        app_->check();
        return std::make_shared<CalcWorkbooks>(app_);
    }
    bool Visible() const override { return app_->visible; }
    void setVisible(bool visible) override {
        app_->check();
        if (visible) {
            for (const DocPtr& doc : app_->docs)
                show(*doc);
        }
        app_->visible = visible;
    }
    void Quit() override {
        app_->check();
        // The user's own documents keep what was written to them, as they would in Excel.
        for (const DocPtr& doc : app_->docs) {
            if (doc->loadedHere)
                closeWithoutSaving(doc->component);
            else
                doc->flushQuietly();
        }
        app_->docs.clear();
        app_->quit = true;
        app_->visible = false;
        // The user's office ends with its last document; a private office belongs to whoever
        // started it and ends when they let it go.
        if (app_->office->isUserOffice()) {
            try {
                if (!app_->desktop->getComponents()->createEnumeration()->hasMoreElements())
                    app_->desktop->terminate();
            } catch (const uno::Exception& e) {
                throw Translate("Quit", e, errors::kObjectGone);
            }
        }
    }

private:
    void show(Doc& doc) {
        try {
            doc.flush();
            Reference<css::frame::XModel> model(doc.component, UNO_QUERY_THROW);
            std::optional<fs::path> copy;
            if (app_->options.copyPath && !doc.shown)
                copy = storeCopy(doc, model);
            // A private office is headless: it has no screen to show a window on (and making
            // a hidden document's window visible there can bring the office down).
            if (doc.loadedHere && !doc.shown && app_->office->isUserOffice()) {
                Reference<css::frame::XController> controller = model->getCurrentController();
                if (controller.is())
                    showFrame(controller->getFrame());
            }
            doc.shown = true;
            if (copy && app_->options.onCopyStored)
                app_->options.onCopyStored(*copy);
        } catch (const AutomationError&) {
            throw;
        } catch (const uno::Exception& e) {
            throw Translate("Visible", e, errors::kApplicationDefined);
        }
    }

    // A copy of the document, written beside its destination first and then moved there, so
    // that a failed store leaves no half-written file under the copy's name.
    fs::path storeCopy(const Doc& doc, const Reference<css::frame::XModel>& model) {
        fs::path copy = app_->options.copyPath(doc.file);
        std::error_code ec;
        if (copy.empty() || fs::equivalent(copy, doc.file, ec) ||
            copy.lexically_normal() == doc.file.lexically_normal())
            throw AutomationError("the workbook is never stored over the file it was opened "
                                  "from: " +
                                      utf8(doc.file),
                                  errors::kApplicationDefined);
        fs::path temp = copy.parent_path() / ("." + copy.filename().string() + ".citylink-part");
        Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
        Sequence<css::beans::PropertyValue> args =
            properties({property("FilterName", Any(filterFor(copy, model))),
                        property("Overwrite", Any(true))});
        try {
            storable->storeToURL(fileUrl(temp), args);
        } catch (const uno::Exception& e) {
            fs::remove(temp, ec);
            throw Translate(("storing " + utf8(copy)).c_str(), e, errors::kApplicationDefined);
        }
        fs::rename(temp, copy, ec);
        if (ec) {
            fs::remove(temp, ec);
            throw AutomationError("cannot store " + utf8(copy) + ": " + ec.message(),
                                  errors::kApplicationDefined);
        }
        return copy;
    }

    State app_;
};

} // namespace

ApplicationPtr CreateCalcApplication(const CalcOfficePtr& office, CalcOptions options) {
    auto* calcOffice = dynamic_cast<calc::Office*>(office.get());
    if (!calcOffice)
        throw AutomationError("LibreOffice: no office", errors::kCannotCreateObject);
    auto state = std::make_shared<AppState>();
    state->officeHolder = office;
    state->office = calcOffice;
    state->desktop = calcOffice->desktop();
    state->options = std::move(options);
    return std::make_shared<CalcApplication>(state);
}

} // namespace sheets
