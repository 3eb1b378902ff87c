#include "gridmover/core/designer_rules.h"

#include "gridmover/core/grid_version.h"
#include "gridmover/core/logical_lines.h"
#include "gridmover/core/vb_text.h"

#include <stdexcept>

namespace gridmover {

using namespace vbtext;

namespace {

// Blanks and tabs: what may separate the words of a designer line. VB6 indents with blanks, but a
// designer file edited by hand may carry tabs, and the block must still be found.
bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view skipSpace(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isSpace(s[i])) {
        ++i;
    }
    return s.substr(i);
}

std::string_view rtrimSpace(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && isSpace(s[n - 1])) {
        --n;
    }
    return s.substr(0, n);
}

std::string_view trimSpace(std::string_view s) {
    return rtrimSpace(skipSpace(s));
}

// The first word of s (up to a blank or tab).
std::string_view firstWord(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && !isSpace(s[i])) {
        ++i;
    }
    return s.substr(0, i);
}

// The class of a control block start "Begin <Library.Class> <Name>": its second word; empty for
// any other line. Only the block start counts, so that a property value that merely contains
// "Begin MSDBGrid.DBGrid" is not taken for a grid, and "Lumatab.LTab" does not claim the
// drop-down "Lumatab.LTabDropDown" for the grids.
std::string_view beginClass(std::string_view line) {
    std::string_view t = skipSpace(line);
    if (!EqualsNoCase(firstWord(t), "Begin")) {
        return {};
    }
    return firstWord(skipSpace(t.substr(5)));
}

} // namespace

GridBlock GridBlockOf(std::string_view line, const GridVersion& from) {
    std::string_view cls = beginClass(line);
    if (cls.empty()) {
        return GridBlock::None;
    }
    if (EqualsNoCase(cls, from.FullName)) {
        return GridBlock::Grid;
    }
    if (EqualsNoCase(cls, from.GridLibName() + ".LTabDropDown")) {
        return GridBlock::DropDown;
    }
    return GridBlock::None;
}

namespace {

// Whether text could be found at byte i of hay: each of its bytes equal there, ASCII letters in
// either case. Every match has that, whatever the characters; the reverse needs a full compare.
bool bytesMayMatch(std::string_view hay, std::size_t i, std::string_view text) {
    if (i > hay.size() || hay.size() - i < text.size()) {
        return false;
    }
    auto fold = [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    };
    for (std::size_t j = 0; j < text.size(); ++j) {
        if (fold(hay[i + j]) != fold(text[j])) {
            return false;
        }
    }
    return true;
}

} // namespace

GridBlock GridBlockOf(std::string_view line, std::int16_t from) {
    return GridBlockOf(line, CatalogueRow(from));
}

std::string_view BlockControlName(std::string_view line) {
    // The name is what follows the class: the rest of the trimmed line after its second blank
    // where VB6 wrote the line, and the same where blanks and tabs were doubled or mixed.
    std::string_view cls = beginClass(line);
    if (cls.empty()) {
        return {};
    }
    return trimSpace(line.substr(static_cast<std::size_t>(cls.data() - line.data()) + cls.size()));
}

void ReplaceBeginClass(std::string& line, std::int16_t from, std::int16_t to) {
    ReplaceBeginClass(line, CatalogueRow(from), CatalogueRow(to));
}

void ReplaceBeginClass(std::string& line, const GridVersion& f, const GridVersion& t) {
    GridBlock kind = GridBlockOf(line, f);
    if (kind == GridBlock::None) {
        return;
    }
    std::string_view cls = beginClass(line);
    std::size_t p = static_cast<std::size_t>(cls.data() - line.data());
    line.replace(p, cls.size(),
                 kind == GridBlock::Grid ? t.FullName : t.GridLibName() + ".LTabDropDown");
}

bool IsBlockEndLine(std::string_view line) {
    if (line.size() >= 6 && EqualsNoCase(line.substr(line.size() - 6), "   End")) {
        return true;
    }
    // The same end line with trailing blanks, or indented with tabs (a designer file edited by
    // hand): a grid block whose end went unnoticed would swallow the controls after it, grids
    // included, unconverted.
    std::string_view t = rtrimSpace(line);
    if (t.size() >= 6 && EqualsNoCase(t.substr(t.size() - 6), "   End")) {
        return true;
    }
    const std::string_view indent = t.substr(0, t.size() - skipSpace(t).size());
    return indent.find('\t') != std::string_view::npos && EqualsNoCase(skipSpace(t), "End");
}

bool IsDesignerEndLine(std::string_view line) {
    // VB6 writes it bare; a hand-edited file may leave blanks after it, and missing it would leave
    // every handler and declaration of the form unconverted.
    return EqualsNoCase(rtrimSpace(line), "End");
}

std::uint32_t ParseFrxOffset(std::string_view line) {
    std::size_t colon = line.rfind(':');
    if (colon == std::string_view::npos) {
        return 0;
    }
    std::string_view digits = Trim(line.substr(colon + 1));
    if (digits.empty() || digits.size() > 8) {
        throw std::invalid_argument("not a binary file offset: \"" + std::string(digits) + "\"");
    }
    std::uint32_t v = 0;
    for (char c : digits) {
        unsigned d;
        if (c >= '0' && c <= '9') {
            d = static_cast<unsigned>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            d = static_cast<unsigned>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            d = static_cast<unsigned>(c - 'a' + 10);
        } else {
            throw std::invalid_argument("not a binary file offset: \"" + std::string(digits) +
                                        "\"");
        }
        v = (v << 4) | d;
    }
    return v;
}

bool IsGridEventHandler(std::string_view line, const std::vector<std::string>& gridNames,
                        const std::vector<std::string>& dropDownNames) {
    if (IsCommentStart(line)) {
        return false;
    }
    // Every handler text begins with the ASCII "Sub ", so it can only be found where "Sub " is
    // (most lines have none, a handler line one): each text is compared there only, formed in one
    // buffer.
    std::string handler;
    auto anyHandlerAt = [&](std::size_t at, const std::vector<std::string>& names,
                            const auto& suffixes) {
        for (const auto& name : names) {
            if (!bytesMayMatch(line, at + 4, name)) {
                continue; // no handler of this control can be here
            }
            handler.assign("Sub ");
            handler += name;
            const std::size_t named = handler.size();
            for (const auto& suffix : suffixes) {
                handler.resize(named);
                handler += suffix;
                if (MatchesAt(line, at, handler)) {
                    return true;
                }
            }
        }
        return false;
    };
    // After an ASCII "Sub " found at a character boundary, the next byte is one too.
    for (std::size_t at = Find(line, "Sub "); at != npos; at = Find(line, "Sub ", at + 1)) {
        if (anyHandlerAt(at, gridNames, kGridEvents) ||
            anyHandlerAt(at, dropDownNames, kDropDownEvents)) {
            return true;
        }
    }
    return false;
}

bool RewriteEventSignature(std::string& line, const GridVersion& from, const GridVersion& to,
                           const std::vector<std::string>& gridNames) {
    const std::string fromLib = from.GridLibName();
    const std::string toLib = to.GridLibName();
    const bool fetch = Contains(line, "_FetchCellStyle");
    const bool unbound = Contains(line, "_Unbound");
    auto splice = [&](std::string_view search, const std::string& repl) {
        return ReplaceFirst(line, search, repl) != npos;
    };
    if (fetch) {
        if (Contains(line, "As Object")) {
            return splice("As Object", "As " + toLib + ".StyleDisp");
        }
        if (Contains(line, "As StyleDisp")) {
            return splice("As StyleDisp", "As " + toLib + ".StyleDisp");
        }
        if (Contains(line, "As " + fromLib + ".StyleDisp")) {
            return splice("As " + fromLib + ".StyleDisp", "As " + toLib + ".StyleDisp");
        }
        return false;
    }
    if (unbound) {
        if (Contains(line, "As RowBuffer")) {
            return splice("As RowBuffer", "As " + toLib + ".RowBuffer");
        }
        if (Contains(line, "As " + fromLib + ".RowBuffer")) {
            return splice("As " + fromLib + ".RowBuffer", "As " + toLib + ".RowBuffer");
        }
        return false;
    }
    if (Contains(line, "_LeftColChange()")) {
        return splice("_LeftColChange()", "_LeftColChange(ByVal SplitIndex as Integer)");
    }
    if (Contains(line, "_FirstRowChange()")) {
        std::string repl = "_FirstRowChange(ByVal SplitIndex as Integer)";
        // The guard names the grid whose handler this is.
        for (const auto& name : gridNames) {
            if (Contains(line, "Sub " + name + "_FirstRowChange")) {
                repl += std::string(kCrLf) + "If SplitIndex <> " + name + ".Split Then Exit Sub";
                break;
            }
        }
        return splice("_FirstRowChange()", repl);
    }
    if (Contains(line, "_FormatText") && Contains(line, "Value as Variant)")) {
        return splice("Value as Variant)", "Value As Variant, Bookmark As Variant)");
    }
    return false;
}

} // namespace gridmover
