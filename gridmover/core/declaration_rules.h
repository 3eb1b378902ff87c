#pragma once
// The rewrite of code lines that declare a variable of the grid library's types
// ("As <lib>.<Type>", "As New <lib>.<Type>"): the library name is replaced by the target's. A
// declaration of the source's grid class itself ("As MSDBGrid.DBGrid") names the target's grid
// class ("As Lumatab80.LTab"): the class names differ between the libraries, and the library alone
// would leave a type the target library does not have. Other types (Column, Split, ...) keep their
// names in every library.
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
    struct Kind {
        std::string search;    // "As <source lib>."
        std::string library;   // "As <target lib>."
        std::string gridClass; // "As <target lib>.<target class>"
    };
    // The position after the replacement, or npos when search does not occur from start on.
    std::size_t replaceOne(std::string& line, const Kind& kind, std::size_t start) const;

    bool libsDiffer_;
    std::string lib_;
    std::string class_; // the source's grid class
    // "As " and "As New ".
    std::array<Kind, 2> kinds_;
};

} // namespace gridmover
