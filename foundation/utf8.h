#pragma once
// One UTF-8 character at a time, for the few places that look at characters rather than bytes
// (width conversion of kana, escaping of cell text, the log's fallback encoding).
#include <optional>
#include <string>
#include <string_view>

namespace utf8 {

// Decodes the character at text[i] and moves i past it. For a sequence that is not valid UTF-8
// (truncated, overlong, a surrogate, past U+10FFFF) returns nullopt and moves i by one byte only,
// so that what follows is still read.
std::optional<char32_t> decode(std::string_view text, std::size_t& i);

// Appends the UTF-8 form of a code point (at most U+10FFFF, no surrogate).
void append(char32_t cp, std::string& out);

} // namespace utf8
