#pragma once
// Cells written into rows the worksheet did not have, held as their few parts (column, style,
// stored value) until the part is written out. A filled form gains thousands of such cells at
// once; as nodes of the XML tree each would cost five allocations when written and a walk
// through the tree's writer when saved.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sheets::xlsx {

// A cell's texts lie in NewTexts: the cell itself is a few numbers, copied and freed as such.
struct NewCell {
    int col = 0;
    std::uint32_t style = 0;     // the cell's "s" (NewTexts::style); 0 for none
    std::uint32_t valueAt = 0;   // where its stored value lies in NewTexts
    std::uint32_t valueSize = 0; // 0 for no value
    bool inlineString = false;
};

// The texts of the new cells: each stored value appended once (one written over stays, unused,
// as the cells of a sheet are written once or twice), each style once.
class NewTexts {
public:
    // The value as stored: a number's literal or a string item's escaped text; "" for none.
    std::string_view value(const NewCell& cell) const {
        return std::string_view(values_).substr(cell.valueAt, cell.valueSize);
    }
    const std::string& style(const NewCell& cell) const { return styles_[cell.style]; }
    // Throws AutomationError when the values outgrow what the cells can point to (4 GB).
    void setValue(NewCell& cell, std::string_view stored, bool inlineString);
    // The index of a style ("" is 0), kept from here on.
    std::uint32_t keepStyle(const std::string& style);

private:
    std::string values_;
    std::vector<std::string> styles_{std::string()};
};

struct NewRow {
    std::vector<NewCell> cells; // in column order
};

// Writes such rows as XML: byte for byte what the tree's writer gives for a row element with
// only its "r" holding these cells as the editor makes them (a cell element with "r", "s" and
// "t", then "v", or "is" with one "t").
class NewRowWriter {
public:
    // `prefix` is the worksheet's namespace prefix ("" or "x:").
    explicit NewRowWriter(std::string_view prefix);
    // At most how many bytes append() writes for the row.
    std::size_t bytes(const NewRow& row, const NewTexts& texts) const;
    void append(std::string& out, int number, const NewRow& row, const NewTexts& texts) const;

private:
    std::size_t prefix_;
    std::string rowOpen_, rowClose_, cellOpen_, valueOpen_, valueClose_, stringOpen_, stringClose_;
};

// The text of a cell as the tree's reader gives it (see SheetEditor::read).
std::string NewCellText(const NewCell& cell, const NewTexts& texts);

} // namespace sheets::xlsx
