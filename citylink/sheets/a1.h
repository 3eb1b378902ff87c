#pragma once
// Column letters and A1 addresses: "A" is column 1, "XFD" column 16384; "X6:BB9" is rows 6 to 9
// of columns 24 to 54. Shared by the spreadsheet backends and the usage-sheet run.
#include <optional>
#include <string>
#include <string_view>

namespace sheets {

inline constexpr int kMaxColumn = 16384; // XFD
inline constexpr int kMaxRow = 1048576;

// The number of the column letters ("A" -> 1, "bb" -> 54, "XFD" -> 16384); nullopt for an empty
// text, a character that is not a Latin letter, or a column past XFD.
std::optional<int> ColumnNumber(std::string_view letters);
// The letters of a column number (1 -> "A", 54 -> "BB"); "" when outside 1..16384.
std::string ColumnLetters(int number);
// The letters of the column offset columns to the right of the given one ("X", 30 -> "BB";
// "V", 30 -> "AZ"); nullopt when the letters are not a column or the result leaves A..XFD.
std::optional<std::string> OffsetColumn(std::string_view letters, int offset);

struct CellRef {
    int row = 0; // 1-based
    int col = 0; // 1-based
    bool operator==(const CellRef&) const = default;
};

struct RangeRef {
    CellRef first; // top-left
    CellRef last;  // bottom-right
    int rows() const { return last.row - first.row + 1; }
    int cols() const { return last.col - first.col + 1; }
    bool operator==(const RangeRef&) const = default;
};

// "X6", "$X$6", "x6" -> {6, 24}; nullopt for anything else or a cell outside the sheet.
std::optional<CellRef> ParseCell(std::string_view a1);
// "X6" or "X6:BB9" (corners in any order, normalised to top-left/bottom-right); nullopt otherwise.
std::optional<RangeRef> ParseRange(std::string_view a1);
// {6, 24} -> "X6".
std::string CellAddress(CellRef cell);
// A single cell as "X6", a rectangle as "X6:BB9".
std::string RangeAddress(const RangeRef& range);

} // namespace sheets
