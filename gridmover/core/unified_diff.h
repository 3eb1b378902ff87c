#pragma once
// A unified diff ("diff -u" style, three lines of context) of two texts, for showing a user what a
// conversion would change. Lines are compared as bytes; CP932 lines are shown as UTF-8, lines that
// are not valid CP932 with their odd bytes as "\xNN".
#include <string>
#include <string_view>

namespace gridmover {

// Empty when the two texts are equal. The headers name the files as given. Line ends are not
// part of the comparison; when the texts differ in their line ends as well, a last line says so.
std::string UnifiedDiff(std::string_view before, std::string_view after,
                        std::string_view beforeName, std::string_view afterName);

// A CP932 line as UTF-8 for display; invalid bytes become "\xNN".
std::string DisplayLine(std::string_view cp932Line);

} // namespace gridmover
