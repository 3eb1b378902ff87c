#pragma once
// Cells written into rows the worksheet did not have, held as their few parts (column, style,
// stored value) until the part is written out. A filled form gains thousands of such cells at
// once; as nodes of the XML tree each would cost five allocations when written and a walk
// through the tree's writer when saved.
#include <string>
#include <string_view>
#include <vector>

namespace sheets::xlsx {

struct NewCell {
    int col = 0;
    std::string style; // the cell's "s"; "" for none
    std::string value; // as stored: a number's literal or a string item's escaped text; "" none
    bool inlineString = false;
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
    std::size_t bytes(const NewRow& row) const;
    void append(std::string& out, int number, const NewRow& row) const;

private:
    std::size_t prefix_;
    std::string rowOpen_, rowClose_, cellOpen_, valueOpen_, valueClose_, stringOpen_, stringClose_;
};

// The text of a cell as the tree's reader gives it (see SheetEditor::read).
std::string NewCellText(const NewCell& cell);

} // namespace sheets::xlsx
