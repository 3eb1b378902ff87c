#include "citylink/core/value_table.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>

namespace citylink {

void ValueTable::reset(int columns) {
    if (columns <= 0)
        throw std::out_of_range("ValueTable: a table needs at least one column");
    columns_ = columns;
    cells_.clear();
    text_.clear();
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

void ValueTable::set(int row, int column, std::string_view value) {
    const std::size_t i = index(row, column);
    if (value.empty()) {
        cells_[i] = {};
        return;
    }
    // Texts are only ever appended, so a cell may point at any text the table holds: a value
    // taken from the table (a part of another cell) costs nothing, and neither does the value
    // of the same column in the row before (a child's name, reading and birth date repeat on
    // each of its days).
    if (value.data() >= text_.data() && value.data() < text_.data() + text_.size()) {
        cells_[i] = {static_cast<std::uint32_t>(value.data() - text_.data()),
                     static_cast<std::uint32_t>(value.size())};
        return;
    }
    if (row > 1) {
        const Cell above = cells_[i - stride()];
        if (std::string_view(text_).substr(above.offset, above.length) == value) {
            cells_[i] = above;
            return;
        }
    }
    if (text_.size() + value.size() > UINT32_MAX)
        throw std::length_error("ValueTable: the table's texts outgrow four gigabytes");
    cells_[i] = {static_cast<std::uint32_t>(text_.size()),
                 static_cast<std::uint32_t>(value.size())};
    text_.append(value);
}

std::string_view ValueTable::get(int row, int column) const {
    const Cell& cell = cells_[index(row, column)];
    return std::string_view(text_).substr(cell.offset, cell.length);
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
    // Put each row in its place by following the permutation's cycles: moves within the table
    // and one row of scratch, instead of a second copy of the whole range.
    const std::size_t first = index(firstRow, 0);
    const std::size_t width = stride();
    auto rowAt = [&](std::size_t k) {
        return cells_.begin() + static_cast<std::ptrdiff_t>(first + k * width);
    };
    std::vector<Cell> held(width);
    std::vector<bool> placed(order.size(), false);
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (placed[start])
            continue;
        std::move(rowAt(start), rowAt(start) + static_cast<std::ptrdiff_t>(width), held.begin());
        std::size_t k = start;
        for (;;) {
            placed[k] = true;
            const auto from = static_cast<std::size_t>(order[k] - firstRow);
            if (from == start)
                break;
            std::move(rowAt(from), rowAt(from) + static_cast<std::ptrdiff_t>(width), rowAt(k));
            k = from;
        }
        std::move(held.begin(), held.end(), rowAt(k));
    }
}

} // namespace citylink
