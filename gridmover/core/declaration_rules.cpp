#include "gridmover/core/declaration_rules.h"

#include "gridmover/core/grid_version.h"
#include "gridmover/core/logical_lines.h"
#include "gridmover/core/vb_text.h"

namespace gridmover {

using namespace vbtext;

GridDeclarations::GridDeclarations(const GridVersion& from, const GridVersion& to) {
    const std::string f = from.GridLibName();
    const std::string t = to.GridLibName();
    libsDiffer_ = f != t;
    lib_ = f;
    pairs_[0] = {"As " + f + ".", "As " + t + "."};
    pairs_[1] = {"As New " + f + ".", "As New " + t + "."};
}

bool GridDeclarations::Declares(std::string_view line) const {
    // Both texts contain the library name: a line without it needs no closer look.
    if (!libsDiffer_ || !Contains(line, lib_) || IsCommentStart(line)) {
        return false;
    }
    return Contains(line, pairs_[0].first) || Contains(line, pairs_[1].first);
}

void GridDeclarations::Rewrite(std::string& line) const {
    // Each occurrence is replaced once, searching on after the text just put in, so that a target
    // library whose name contains the source's can never make this loop endlessly.
    for (const auto& [search, repl] : pairs_) {
        for (std::size_t p = ReplaceFirst(line, search, repl); p != npos;
             p = ReplaceFirst(line, search, repl, p)) {
        }
    }
}

} // namespace gridmover
