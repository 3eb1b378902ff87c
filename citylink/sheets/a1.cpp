#include "citylink/sheets/a1.h"

#include <algorithm>

namespace sheets {

namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<int> ColumnNumber(std::string_view letters) {
    if (letters.empty() || letters.size() > 3)
        return std::nullopt;
    int number = 0;
    for (char c : letters) {
        if (!isLetter(c))
            return std::nullopt;
        number = number * 26 + (upper(c) - 'A' + 1);
    }
    if (number > kMaxColumn)
        return std::nullopt;
    return number;
}

std::string ColumnLetters(int number) {
    if (number < 1 || number > kMaxColumn)
        return {};
    std::string letters;
    while (number > 0) {
        int digit = (number - 1) % 26;
        letters.insert(letters.begin(), static_cast<char>('A' + digit));
        number = (number - 1) / 26;
    }
    return letters;
}

std::optional<std::string> OffsetColumn(std::string_view letters, int offset) {
    auto number = ColumnNumber(letters);
    if (!number)
        return std::nullopt;
    long long moved = static_cast<long long>(*number) + offset;
    if (moved < 1 || moved > kMaxColumn)
        return std::nullopt;
    return ColumnLetters(static_cast<int>(moved));
}

std::optional<CellRef> ParseCell(std::string_view a1) {
    std::size_t i = 0;
    if (i < a1.size() && a1[i] == '$')
        ++i;
    std::size_t lettersStart = i;
    while (i < a1.size() && isLetter(a1[i]))
        ++i;
    auto col = ColumnNumber(a1.substr(lettersStart, i - lettersStart));
    if (!col)
        return std::nullopt;
    if (i < a1.size() && a1[i] == '$')
        ++i;
    if (i >= a1.size() || a1[i] == '0')
        return std::nullopt;
    long row = 0;
    for (; i < a1.size(); ++i) {
        if (!isDigit(a1[i]))
            return std::nullopt;
        row = row * 10 + (a1[i] - '0');
        if (row > kMaxRow)
            return std::nullopt;
    }
    return CellRef{static_cast<int>(row), *col};
}

std::optional<RangeRef> ParseRange(std::string_view a1) {
    auto colon = a1.find(':');
    if (colon == std::string_view::npos) {
        auto cell = ParseCell(a1);
        if (!cell)
            return std::nullopt;
        return RangeRef{*cell, *cell};
    }
    auto a = ParseCell(a1.substr(0, colon));
    auto b = ParseCell(a1.substr(colon + 1));
    if (!a || !b)
        return std::nullopt;
    RangeRef range;
    range.first = {std::min(a->row, b->row), std::min(a->col, b->col)};
    range.last = {std::max(a->row, b->row), std::max(a->col, b->col)};
    return range;
}

std::string CellAddress(CellRef cell) {
    return ColumnLetters(cell.col) + std::to_string(cell.row);
}

std::string RangeAddress(const RangeRef& range) {
    if (range.first == range.last)
        return CellAddress(range.first);
    return CellAddress(range.first) + ":" + CellAddress(range.last);
}

} // namespace sheets
