#pragma once
// A two-dimensional table of text values with rows numbered from 1, holding exactly the operations
// the extended-care computation and the usage-sheet run use. Out-of-range rows or columns throw
// std::out_of_range (the computation traps them into its failure message).
//
// The texts lie back to back in one buffer and each cell is an offset and a length into it: a
// month of a few hundred thousand rows (a hostile export's) would otherwise cost a string object
// of 32 bytes per cell, and the table must stay small enough for the run to refuse such a month.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace citylink {

class ValueTable {
public:
    struct SortKey {
        int column;
        bool ascending = true;
    };

    // Empties the table and gives it `columns` columns numbered 0..columns-1, zero rows.
    void reset(int columns);
    // Appends an empty row; returns its number (the new highest row).
    int appendRow();
    void set(int row, int column, std::string_view value); // the value may view this table
    // The cell's text; the view is valid until the next set().
    std::string_view get(int row, int column) const;
    // The highest row number; 0 when the table has no rows.
    int upperRow() const { return static_cast<int>(cells_.size() / stride()); }
    int columns() const { return columns_; }

    // Sorts rows firstRow..lastRow by up to three keys, comparing the cells as text (bytes of the
    // UTF-8 text, which orders kana and "yyyy/mm/dd" dates as expected). Stable: rows equal in
    // every key keep their order. An empty range (lastRow < firstRow) does nothing.
    void sort(int firstRow, int lastRow, std::initializer_list<SortKey> keys);

private:
    // Room for `rows` rows in all, for code that knows how many it will add: a table grown row by
    // row copies itself each time it doubles, and on a fresh process every page it moves to is a
    // page fault. Not one of the table's operations; ValueTableCapacity gives it to such code.
    friend struct ValueTableCapacity;
    void reserveRows(int rows, std::size_t textBytes) {
        if (rows > 0)
            cells_.reserve(static_cast<std::size_t>(rows) * stride());
        text_.reserve(textBytes);
    }

    std::size_t stride() const { return columns_ > 0 ? static_cast<std::size_t>(columns_) : 1; }
    std::size_t index(int row, int column) const;

    struct Cell {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    int columns_ = 0;
    std::vector<Cell> cells_; // row-major
    std::string text_;        // every cell's text; a rewritten cell's old text stays unused
};

} // namespace citylink
