#pragma once
// The rewrite of code lines that declare a variable of the grid library's types
// ("As <lib>.<Type>", "As New <lib>.<Type>"): the library name is replaced by the target's.
#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace gridmover {

class GridVersion;

// The rule for one conversion, its search texts formed once per file rather than once per line.
class GridDeclarations {
public:
    GridDeclarations(const GridVersion& from, const GridVersion& to);
    // Whether the line declares something of the source library (comments never do); only when
    // the two versions' libraries differ, since otherwise there is nothing to rewrite.
    bool Declares(std::string_view line) const;
    // Every declaration of the source library on the line rewritten to the target library.
    void Rewrite(std::string& line) const;

private:
    bool libsDiffer_;
    std::string lib_;
    // The search and replacement texts: "As <lib>." and "As New <lib>.".
    std::array<std::pair<std::string, std::string>, 2> pairs_;
};

} // namespace gridmover
