#pragma once
// The workbook's shared-strings part and the string items it is made of, which inline strings in
// worksheet cells share.
#include <pugixml.hpp>

#include <string>
#include <vector>

namespace sheets::xlsx {

// The text of a string item (<si> of the shared table, <is> of an inline-string cell): its own
// <t> and the <t> of its runs, not the phonetic runs (<rPh>) that Japanese workbooks carry for
// readings.
std::string StringItemText(pugi::xml_node item);

// Texts of the shared-strings part, by index. Throws AutomationError when the part is not
// well-formed.
std::vector<std::string> ReadSharedStrings(const std::string& xml);

} // namespace sheets::xlsx
