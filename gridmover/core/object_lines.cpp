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

bool IsProjectObjectLine(std::string_view line, std::int16_t from) {
    return StartsWithNoCase(line, "Object={") && line.substr(8, 36) == CatalogueRow(from).LIBID;
}

std::string MakeProjectObjectLine(std::int16_t to) {
    const GridVersion& v = CatalogueRow(to);
    return "Object=" + Brace(v.LIBID) + v.Version + "; " + v.OCXFileName();
}

bool IsFormObjectLine(std::string_view line, std::int16_t from) {
    return StartsWithNoCase(line, "Object = \"{") &&
           line.substr(11, 36) == CatalogueRow(from).LIBID;
}

std::string MakeFormObjectLine(std::int16_t to) {
    const GridVersion& v = CatalogueRow(to);
    return "Object = " + Quote(Brace(v.LIBID) + v.Version) + "; " + Quote(v.OCXFileName());
}

} // namespace gridmover
