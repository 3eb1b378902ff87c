#pragma once
// The lines that name the grid control's library: the project file's "Object={LIBID}..." line and
// the designer file's "Object = "{LIBID}..."" line. Row arguments are catalogue rows (1..13) of
// Versions().
#include <cstdint>
#include <string>
#include <string_view>

namespace gridmover {

std::string Quote(std::string_view s);
std::string Brace(std::string_view s);
bool IsProjectObjectLine(std::string_view line, std::int16_t from);
std::string MakeProjectObjectLine(std::int16_t to);
bool IsFormObjectLine(std::string_view line, std::int16_t from);
std::string MakeFormObjectLine(std::int16_t to);

} // namespace gridmover
