#include "citylink/sheets/xlsx/formula_shift.h"

#include "citylink/sheets/a1.h"

namespace sheets::xlsx {

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isWordChar(char c) {
    return isLetter(c) || isDigit(c) || c == '_' || c == '$' || c == '.' || c == '\\' ||
           static_cast<unsigned char>(c) >= 0x80;
}

struct Part {
    bool absolute = false;
    long value = 0;
};

// "$AB" / "AB" -> column number; "$12" / "12" -> row number.
std::optional<Part> columnPart(std::string_view w) {
    Part p;
    if (!w.empty() && w[0] == '$') {
        p.absolute = true;
        w.remove_prefix(1);
    }
    auto n = ColumnNumber(w);
    if (!n)
        return std::nullopt;
    p.value = *n;
    return p;
}

std::optional<Part> rowPart(std::string_view w) {
    Part p;
    if (!w.empty() && w[0] == '$') {
        p.absolute = true;
        w.remove_prefix(1);
    }
    if (w.empty() || w.size() > 7 || w[0] == '0')
        return std::nullopt;
    for (char c : w)
        if (!isDigit(c))
            return std::nullopt;
    p.value = std::stol(std::string(w));
    if (p.value > kMaxRow)
        return std::nullopt;
    return p;
}

// A word that is one cell reference: column part then row part.
bool splitCell(std::string_view w, std::optional<Part>& col, std::optional<Part>& row) {
    std::size_t i = (!w.empty() && w[0] == '$') ? 1 : 0;
    while (i < w.size() && isLetter(w[i]))
        ++i;
    col = columnPart(w.substr(0, i));
    row = rowPart(w.substr(i));
    return col && row;
}

bool moveColumn(Part& p, int d) {
    if (!p.absolute)
        p.value += d;
    return p.value >= 1 && p.value <= kMaxColumn;
}
bool moveRow(Part& p, int d) {
    if (!p.absolute)
        p.value += d;
    return p.value >= 1 && p.value <= kMaxRow;
}
std::string columnText(const Part& p) {
    return (p.absolute ? "$" : "") + ColumnLetters(static_cast<int>(p.value));
}
std::string rowText(const Part& p) {
    return (p.absolute ? "$" : "") + std::to_string(p.value);
}

// Copies a quoted run starting at f[i] (quote character q, doubled to escape it).
bool copyQuoted(std::string_view f, std::size_t& i, char q, std::string& out) {
    out += f[i++];
    while (i < f.size()) {
        if (f[i] == q) {
            if (i + 1 < f.size() && f[i + 1] == q) {
                out += q;
                out += q;
                i += 2;
                continue;
            }
            out += f[i++];
            return true;
        }
        out += f[i++];
    }
    return false;
}

} // namespace

std::optional<std::string> ShiftFormula(std::string_view f, int dRows, int dCols) {
    std::string out;
    out.reserve(f.size() + 8);
    std::size_t i = 0;
    while (i < f.size()) {
        char c = f[i];
        if (c == '"' || c == '\'') {
            if (!copyQuoted(f, i, c, out))
                return std::nullopt;
            continue;
        }
        if (c == '[') {
            int depth = 0;
            do {
                if (f[i] == '[')
                    ++depth;
                else if (f[i] == ']')
                    --depth;
                out += f[i++];
            } while (i < f.size() && depth > 0);
            if (depth != 0)
                return std::nullopt;
            continue;
        }
        if (c == '#') { // error literals: "#REF!", "#N/A"
            out += c;
            ++i;
            while (i < f.size() && (isLetter(f[i]) || f[i] == '/' || isDigit(f[i])))
                out += f[i++];
            continue;
        }
        if (!isWordChar(c)) {
            out += c;
            ++i;
            continue;
        }

        std::size_t start = i;
        while (i < f.size() && isWordChar(f[i]))
            ++i;
        std::string_view word = f.substr(start, i - start);
        char next = i < f.size() ? f[i] : '\0';
        // A sheet name, a function, a table: not references.
        if (next == '!' || next == '(' || next == '[') {
            out.append(word);
            continue;
        }

        // A whole-column or whole-row range: "A:C", "$1:$3".
        if (next == ':') {
            std::size_t j = i + 1;
            while (j < f.size() && isWordChar(f[j]))
                ++j;
            std::string_view other = f.substr(i + 1, j - i - 1);
            auto c1 = columnPart(word);
            auto c2 = columnPart(other);
            if (c1 && c2) {
                if (!moveColumn(*c1, dCols) || !moveColumn(*c2, dCols))
                    return std::nullopt;
                out += columnText(*c1) + ":" + columnText(*c2);
                i = j;
                continue;
            }
            auto r1 = rowPart(word);
            auto r2 = rowPart(other);
            if (r1 && r2) {
                if (!moveRow(*r1, dRows) || !moveRow(*r2, dRows))
                    return std::nullopt;
                out += rowText(*r1) + ":" + rowText(*r2);
                i = j;
                continue;
            }
        }

        std::optional<Part> col;
        std::optional<Part> row;
        if ((isLetter(word[0]) || word[0] == '$') && splitCell(word, col, row)) {
            if (!moveColumn(*col, dCols) || !moveRow(*row, dRows))
                return std::nullopt;
            out += columnText(*col) + rowText(*row);
            continue;
        }
        out.append(word);
    }
    return out;
}

} // namespace sheets::xlsx
