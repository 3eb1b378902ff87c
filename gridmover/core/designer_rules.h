#pragma once
// The rules for a designer file (.frm/.ctl): the grid control blocks ("Begin <Library.Class>
// <Name>" to their "End"), the end of the designer section, the OleObjectBlob line that points
// into the binary file, and the event handlers of the grids found in the blocks. The rules take the
// versions themselves; the forms with row numbers (1..13) take them from Versions().
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gridmover {

class GridVersion;

// The handler suffixes a grid control's events carry in code ("Sub <Name><Suffix>").
inline constexpr std::array<std::string_view, 8> kGridEvents = {
    "_FetchCellStyle",   "_UnboundReadData", "_UnboundReadDataEx", "_UnboundAddData",
    "_UnboundWriteData", "_FirstRowChange",  "_LeftColChange",     "_FormatText"};
// The same for a drop-down control, which has no splits and so no split events.
inline constexpr std::array<std::string_view, 6> kDropDownEvents = {
    "_FetchCellStyle", "_UnboundReadData",  "_UnboundReadDataEx",
    "_UnboundAddData", "_UnboundWriteData", "_FormatText"};

// Which control of the source version a line's block starts: a grid, a drop-down, or none.
enum class GridBlock { None, Grid, DropDown };
GridBlock GridBlockOf(std::string_view line, const GridVersion& from);
GridBlock GridBlockOf(std::string_view line, std::int16_t from);
// The control name of a block start (what follows the class); empty for any other line.
std::string_view BlockControlName(std::string_view line);
// The block start's class rewritten to the target version's (grid or drop-down alike).
void ReplaceBeginClass(std::string& line, const GridVersion& from, const GridVersion& to);
void ReplaceBeginClass(std::string& line, std::int16_t from, std::int16_t to);
// True when the line ends a control block: its last six characters are three blanks and "End"
// (trailing blanks and tabs aside), or it is "End" indented with tabs.
bool IsBlockEndLine(std::string_view line);
// True when the line ends the designer section: "End" at the start of the line.
bool IsDesignerEndLine(std::string_view line);
// The hexadecimal number after the last ":" of an OleObjectBlob line ("Form1.frx":057E -> 0x57E);
// 0 when the line has no ":". Throws std::invalid_argument when that text is not a hexadecimal
// number of at most eight digits.
std::uint32_t ParseFrxOffset(std::string_view line);

// Whether the line is the start of a handler of one of the named controls' events.
bool IsGridEventHandler(std::string_view line, const std::vector<std::string>& gridNames,
                        const std::vector<std::string>& dropDownNames);
// The handler's signature rewritten for the target version; false when no rule applies.
// gridNames give the guard line of a split event.
bool RewriteEventSignature(std::string& line, const GridVersion& from, const GridVersion& to,
                           const std::vector<std::string>& gridNames);

} // namespace gridmover
