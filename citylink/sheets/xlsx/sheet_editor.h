#pragma once
// One worksheet part held as an XML tree, edited in place: cell values written the way a
// spreadsheet application stores an assigned text, everything else in the part kept.
//
// Why our own code over the XML rather than a workbook library: the libraries at hand rewrite
// the whole package from their own model on save and drop what they do not model (drawings,
// VBA, formatting they do not know), while the city's forms must come back with only the
// written cells changed.
#include "citylink/sheets/a1.h"
#include "citylink/sheets/automation.h"
#include "citylink/sheets/xlsx/new_rows.h"
#include "citylink/sheets/xlsx/xml_part.h"

#include <pugixml.hpp>

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sheets::xlsx {

class SheetEditor {
public:
    // Parses the part. Throws AutomationError (kApplicationDefined) when it is not a well-formed
    // worksheet, or when its rows and cells do not name each place once by a plain address (a
    // write there might not read back); `partName` names it in the message.
    SheetEditor(std::string xml, const std::string& partName);

    // Which cell formats (by index, the cells' "s") are the Text format: a spreadsheet
    // application keeps an assigned "07" as text in such a cell. The vector must outlive writes.
    void setTextFormats(const std::vector<bool>* textFormats) { textFormats_ = textFormats; }

    // Whether cells written into rows the sheet did not have are held compactly until the part
    // is written out (see new_rows.h) rather than made nodes of the tree at once; on by default.
    // The part's bytes are the same either way.
    void holdNewRowsCompact(bool on) { compactNewRows_ = on; }

    // Writes the block with its top-left cell at `first`: a text that reads as a number becomes a
    // number (unless the cell has the Text format), other text an inline string, an empty text
    // clears the value. Like a spreadsheet application, a write of several cells refuses to
    // change part of a merged area (one cell may always be written). Written cells keep their
    // style, and a new cell takes the style of its row or column as it would when typed in; a
    // written cell's formula is dropped (a shared formula's other cells get their own copy first).
    // Missing rows and cells are created in order; empty texts create nothing. Throws (nothing
    // written) when the block is ragged or a shared formula cannot be copied.
    void write(CellRef first, const Block& block);
    // The same for one cell, as write() with a block of that one value.
    void writeCell(CellRef cell, std::string_view value);

    // The smallest rectangle holding every row and cell element of the sheet data (a formatted
    // cell without a value counts, as in a spreadsheet application) and every merged area;
    // nullopt for a sheet with none.
    std::optional<RangeRef> usedArea() const;

    // The value of a cell as text (see Range::Value); `sharedStrings` is the workbook's table.
    std::string read(CellRef cell, const std::vector<std::string>& sharedStrings) const;

    bool changed() const { return changed_; }
    // Whether a write replaced a formula (the workbook's calculation chain then goes).
    bool droppedFormula() const { return droppedFormula_; }
    std::string serialize() const;
    // The part as it is saved after writes: like serialize(), but without the stored result of
    // any formula cell. Those results may be stale now, and not every application honours the
    // workbook's request to recalculate on load (LibreOffice shows stored results as they are);
    // a formula without a stored result is computed on load everywhere. The results are dropped
    // from the tree itself (a copy would double the memory of large sheets), so a formula cell
    // reads as empty afterwards; the engine never computes formulas either way.
    std::string serializeForSave();

private:
    struct Cell {
        int col;
        pugi::xml_node node;
    };
    pugi::xml_node row(int number) const;
    pugi::xml_node rowForWrite(int number);
    void ensureSheetData();
    static bool sortCells(pugi::xml_node row);
    static int columnOf(pugi::xml_node cell);
    void setCell(pugi::xml_node cell, const std::string& value, bool fresh = false);
    bool textFormat(unsigned style) const;
    unsigned styleIndex(const std::string& style) const;
    // Writes the values into a row held compactly, from column `firstCol` on; gives the first and
    // last column of the cells it created (0, 0 for none).
    std::pair<int, int> writeNewCells(NewRow& row, int firstCol,
                                      std::span<const std::string> values);
    void writeRow(int rowNumber, int firstCol, std::span<const std::string> values, bool& created,
                  RangeRef& createdBox);
    std::string serializeWithNewRows() const;
    // Whether the cell holds the first cell of a shared formula (which holds its text); gives
    // its formula element.
    static bool isSharedMaster(pugi::xml_node cell, pugi::xml_node& f);
    std::string inheritedStyle(pugi::xml_node row, int col) const;
    const std::string* columnStyle(int col) const;
    void unshareFormulasIn(CellRef first, int rows, int cols);
    void extendDimension(const RangeRef& written);
    std::string name(const char* local) const { return prefix_ + local; }

    std::string partName_;
    std::string text_; // the part's text, which the tree points into (declared before it)
    pugi::xml_document doc_;
    pugi::xml_node sheetData_;
    pugi::xml_node dimension_;
    bool dimensionRead_ = false;
    std::optional<RangeRef> dimensionArea_; // what dimension_ says, once read
    mutable bool dimensionStale_ = false;   // dimensionArea_ grew since the attribute was set
    std::string rowName_;                   // the name of a row element, prefix and all
    std::string prefix_; // namespace prefix of the worksheet's elements ("" or "x:")
    std::map<int, pugi::xml_node> rows_;
    std::map<int, NewRow> newRows_; // by row number; rows_ holds the rows of the tree only
    NewTexts newTexts_;             // their cells' texts
    bool compactNewRows_ = true;
    struct ColumnStyle {
        int min;
        int max;
        std::string style;
    };
    std::vector<ColumnStyle> columnStyles_;
    std::vector<RangeRef> merges_;
    const std::vector<bool>* textFormats_ = nullptr;
    bool changed_ = false;
    bool droppedFormula_ = false;
    std::optional<bool> sharedMasters_; // whether any cell holds a shared formula's text
};

} // namespace sheets::xlsx
