#pragma once
// How the embedded engine turns an assigned text into a cell value, and the text rules of the
// workbook format that go with it.
#include <optional>
#include <string>
#include <string_view>

namespace sheets::xlsx {

// The number an assigned text stands for, written as the cell stores it: "07" -> "7",
// " 30 " -> "30", "1.50" -> "1.5", "-0" -> "0", "1e3" -> "1000". nullopt when the text is not a
// plain decimal number (optionally signed, with a fraction and an exponent, blanks around it):
// such a text stays text. Dates, percentages, currency and digit grouping are not recognised.
std::optional<std::string> NumberLiteral(std::string_view text);

// How a cell stores an assigned text that is not empty: a text that reads as a number as that
// number's literal, any other text (and every text in a cell of the Text format) as the escaped
// text of an inline string.
struct StoredValue {
    std::string text;
    bool number = false;
};
StoredValue StoreAssignedText(std::string_view value, bool textFormat);
// Whether a string item's text keeps its blanks at either end only with xml:space="preserve".
bool NeedsSpacePreserved(std::string_view text);

// The text with every invalid UTF-8 sequence replaced by U+FFFD, so that the written part stays
// well-formed whatever the caller passes.
std::string SanitizeUtf8(std::string_view text);

// The text as a cell's string item stores it: characters XML cannot carry (controls other than
// tab and line feed, carriage return, U+FFFE, U+FFFF) as "_xHHHH_", and a literal "_xHHHH_" with
// its underscore escaped, so that a reader gets the very text back.
std::string EscapeCellText(std::string_view utf8);
// The inverse: "_xHHHH_" sequences back to their characters.
std::string UnescapeCellText(std::string_view stored);

// Whether two sheet names are the same name for the spreadsheet application: equal when letter
// case is ignored (ASCII, Latin-1, Greek, Cyrillic and full-width Latin letters).
bool SameSheetName(std::string_view a, std::string_view b);

} // namespace sheets::xlsx
