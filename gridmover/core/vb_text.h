#pragma once
// Text operations on the bytes of VB6 source lines (CP932). A search never matches inside a
// double-byte character (its second byte may be an ASCII letter, "_" or "\"), and ignoring
// letter case means ASCII letters only: the second byte of a double-byte character is compared
// exactly. Blanks are spaces, as the Basic runtime's trim functions see them.
#include <cstddef>
#include <string>
#include <string_view>

namespace gridmover::vbtext {

constexpr std::size_t npos = std::string_view::npos;

// Byte position of the first occurrence of needle in hay at or after start (a character
// boundary), ignoring ASCII letter case; npos when absent. An empty needle is found at start.
std::size_t Find(std::string_view hay, std::string_view needle, std::size_t start = 0);
inline bool Contains(std::string_view hay, std::string_view needle) {
    return Find(hay, needle) != npos;
}
// Whether needle occurs at byte i of hay (a character boundary), as Find(hay, needle, i) == i
// says, without searching further.
bool MatchesAt(std::string_view hay, std::size_t i, std::string_view needle);
// Whole-text equality ignoring ASCII letter case.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
// Replaces the first occurrence of search at or after start by replacement; returns the position
// just after the inserted text, or npos (line unchanged) when search is absent.
std::size_t ReplaceFirst(std::string& line, std::string_view search, std::string_view replacement,
                         std::size_t start = 0);

std::string_view LTrim(std::string_view s);
std::string_view RTrim(std::string_view s);
std::string_view Trim(std::string_view s);
// Length in bytes of the character that starts at byte i (2 for a double-byte character).
std::size_t CharLengthAt(std::string_view s, std::size_t i);
// Length in bytes of the last character of s (2 for a double-byte character), 0 when s is empty.
std::size_t LastCharLength(std::string_view s);

} // namespace gridmover::vbtext
