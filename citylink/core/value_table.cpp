#include "citylink/core/value_table.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace citylink {

void ValueTable::reset(int columns) {
    if (columns <= 0)
        throw std::out_of_range("ValueTable: a table needs at least one column");
    columns_ = columns;
    cells_.clear();
}

int ValueTable::appendRow() {
    if (columns_ <= 0)
        throw std::out_of_range("ValueTable: reset() the table before adding rows");
    cells_.resize(cells_.size() + stride());
    return upperRow();
}

std::size_t ValueTable::index(int row, int column) const {
    if (row < 1 || row > upperRow() || column < 0 || column >= columns_)
        throw std::out_of_range("ValueTable: cell (" + std::to_string(row) + ", " +
                                std::to_string(column) + ") is outside the table");
    return static_cast<std::size_t>(row - 1) * stride() + static_cast<std::size_t>(column);
}

void ValueTable::set(int row, int column, std::string value) {
    cells_[index(row, column)] = std::move(value);
}

const std::string& ValueTable::get(int row, int column) const {
    return cells_[index(row, column)];
}

void ValueTable::sort(int firstRow, int lastRow, std::initializer_list<SortKey> keys) {
    if (keys.size() > 3)
        throw std::invalid_argument("ValueTable: at most three sort keys");
    for (const SortKey& key : keys)
        if (key.column < 0 || key.column >= columns_)
            throw std::out_of_range("ValueTable: sort key outside the table");
    if (lastRow < firstRow)
        return;
    index(firstRow, 0);
    index(lastRow, 0);

    // Sort row numbers, then move the rows once.
    std::vector<int> order(static_cast<std::size_t>(lastRow - firstRow + 1));
    std::iota(order.begin(), order.end(), firstRow);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (const SortKey& key : keys) {
            int c = get(a, key.column).compare(get(b, key.column));
            if (c != 0)
                return key.ascending ? c < 0 : c > 0;
        }
        return false;
    });
    std::vector<std::string> sorted;
    sorted.reserve(order.size() * stride());
    for (int row : order)
        for (int column = 0; column < columns_; ++column)
            sorted.push_back(std::move(cells_[index(row, column)]));
    std::move(sorted.begin(), sorted.end(),
              cells_.begin() + static_cast<std::ptrdiff_t>(index(firstRow, 0)));
}

} // namespace citylink
