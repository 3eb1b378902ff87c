#pragma once
// Moving a formula as a spreadsheet application does when it copies it: relative references
// shift, absolute ones ("$A$1") stay. Needed when a cell that carries a shared formula is
// overwritten and the cells sharing it get their own copy of it.
#include <optional>
#include <string>
#include <string_view>

namespace sheets::xlsx {

// The formula (stored form, no leading "=") as it reads dRows rows down and dCols columns right.
// Handles cell references, ranges, whole columns ("A:C") and rows ("1:3"), sheet-qualified
// references, and leaves string literals, quoted sheet names, bracketed parts, function and
// defined names alone. nullopt when the formula cannot be read safely (an unterminated quote or
// bracket) or a reference would leave the sheet.
std::optional<std::string> ShiftFormula(std::string_view formula, int dRows, int dCols);

} // namespace sheets::xlsx
