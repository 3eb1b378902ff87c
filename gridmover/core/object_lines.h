#pragma once
// The lines that name the grid control's library: the project file's "Object={LIBID}..." line and
// the designer file's "Object = "{LIBID}..."" line. The rules take the versions themselves; the
// forms with row numbers (1..13) take them from Versions().
#include <cstdint>
#include <string>
#include <string_view>

namespace gridmover {

class GridVersion;

std::string Quote(std::string_view s);
std::string Brace(std::string_view s);
bool IsProjectObjectLine(std::string_view line, const GridVersion& from);
std::string MakeProjectObjectLine(const GridVersion& to);
bool IsFormObjectLine(std::string_view line, const GridVersion& from);
std::string MakeFormObjectLine(const GridVersion& to);
bool IsProjectObjectLine(std::string_view line, std::int16_t from);
std::string MakeProjectObjectLine(std::int16_t to);
bool IsFormObjectLine(std::string_view line, std::int16_t from);
std::string MakeFormObjectLine(std::int16_t to);

} // namespace gridmover
