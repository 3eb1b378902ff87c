#pragma once
// A two-dimensional table of text values with rows numbered from 1, holding exactly the operations
// the extended-care computation and the usage-sheet run use. Out-of-range rows or columns throw
// std::out_of_range (the computation traps them into its failure message).
#include <cstddef>
#include <initializer_list>
#include <string>
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
    void set(int row, int column, std::string value);
    const std::string& get(int row, int column) const;
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
    void reserveRows(int rows) {
        if (rows > 0)
            cells_.reserve(static_cast<std::size_t>(rows) * stride());
    }

    std::size_t stride() const { return columns_ > 0 ? static_cast<std::size_t>(columns_) : 1; }
    std::size_t index(int row, int column) const;

    int columns_ = 0;
    std::vector<std::string> cells_; // row-major
};

} // namespace citylink
