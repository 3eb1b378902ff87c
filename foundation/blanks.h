#pragma once
// Blanks and tabs around a value: the one trim of every reader of the suite's text files (INI
// values, CSV fields, times and dates typed by the clerk). Only ' ' and '\t' count: a full-width
// space or a line break is part of the value, as it is for the Windows programs that share the
// files.
#include <string_view>

namespace blanks {

constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The text without blanks and tabs at its end.
constexpr std::string_view trimRight(std::string_view text) {
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The text without blanks and tabs at either end.
constexpr std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return trimRight(text);
}

} // namespace blanks
