#include "gridmover/core/declaration_rules.h"

#include "gridmover/core/grid_version.h"
#include "gridmover/core/logical_lines.h"
#include "gridmover/core/vb_text.h"

#include <cctype>

namespace gridmover {

using namespace vbtext;

GridDeclarations::GridDeclarations(const GridVersion& from, const GridVersion& to) {
    const std::string f = from.GridLibName();
    const std::string t = to.GridLibName();
    const std::string& full = to.FullName;
    libsDiffer_ = f != t;
    lib_ = f;
    class_ = from.ShortName;
    kinds_[0] = {"As " + f + ".", "As " + t + ".", "As " + full};
    kinds_[1] = {"As New " + f + ".", "As New " + t + ".", "As New " + full};
}

bool GridDeclarations::Declares(std::string_view line) const {
    // Both texts contain the library name: a line without it needs no closer look.
    if (!libsDiffer_ || !Contains(line, lib_) || IsCommentStart(line)) {
        return false;
    }
    return Contains(line, kinds_[0].search) || Contains(line, kinds_[1].search);
}

void GridDeclarations::Rewrite(std::string& line) const {
    // Each occurrence is replaced once, searching on after the text just put in, so that a target
    // library whose name contains the source's can never make this loop endlessly.
    for (const auto& kind : kinds_) {
        for (std::size_t p = replaceOne(line, kind, 0); p != npos; p = replaceOne(line, kind, p)) {
        }
    }
}

std::size_t GridDeclarations::replaceOne(std::string& line, const Kind& kind,
                                         std::size_t start) const {
    const std::size_t p = Find(line, kind.search, start);
    if (p == npos) {
        return npos;
    }
    const std::size_t name = p + kind.search.size();
    const std::size_t after = name + class_.size();
    const bool isGridClass =
        MatchesAt(line, name, class_) &&
        (after >= line.size() ||
         !(std::isalnum(static_cast<unsigned char>(line[after])) != 0 || line[after] == '_'));
    const std::string& repl = isGridClass ? kind.gridClass : kind.library;
    line.replace(p, isGridClass ? after - p : kind.search.size(), repl);
    return p + repl.size();
}

} // namespace gridmover
