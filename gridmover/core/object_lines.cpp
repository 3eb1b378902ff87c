#include "gridmover/core/object_lines.h"

#include "gridmover/core/grid_version.h"
#include "gridmover/core/vb_text.h"

namespace gridmover {

using namespace vbtext;

std::string Quote(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}
std::string Brace(std::string_view s) {
    return "{" + std::string(s) + "}";
}

bool IsProjectObjectLine(std::string_view line, const GridVersion& from) {
    return StartsWithNoCase(line, "Object={") && line.substr(8, 36) == from.LIBID;
}

std::string MakeProjectObjectLine(const GridVersion& v) {
    return "Object=" + Brace(v.LIBID) + v.Version + "; " + v.OCXFileName();
}

bool IsFormObjectLine(std::string_view line, const GridVersion& from) {
    return StartsWithNoCase(line, "Object = \"{") && line.substr(11, 36) == from.LIBID;
}

std::string MakeFormObjectLine(const GridVersion& v) {
    return "Object = " + Quote(Brace(v.LIBID) + v.Version) + "; " + Quote(v.OCXFileName());
}

bool IsProjectObjectLine(std::string_view line, std::int16_t from) {
    return IsProjectObjectLine(line, CatalogueRow(from));
}

std::string MakeProjectObjectLine(std::int16_t to) {
    return MakeProjectObjectLine(CatalogueRow(to));
}

bool IsFormObjectLine(std::string_view line, std::int16_t from) {
    return IsFormObjectLine(line, CatalogueRow(from));
}

std::string MakeFormObjectLine(std::int16_t to) {
    return MakeFormObjectLine(CatalogueRow(to));
}

} // namespace gridmover
