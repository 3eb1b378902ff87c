#include "citylink/sheets/xlsx/new_rows.h"

#include "citylink/sheets/xlsx/cell_text.h"
#include "citylink/sheets/xlsx/xml_part.h"

#include <charconv>
#include <cstring>

namespace sheets::xlsx {

namespace {

// Writes into a buffer sized beforehand for the most a row can take (every escaped character
// takes at most six bytes): a filled form writes some tens of thousands of pieces this way,
// where appending each to a string would check its capacity every time.
class Cursor {
public:
    explicit Cursor(char* at) : at_(at) {}
    char* at() const { return at_; }
    void put(char c) { *at_++ = c; }
    void put(std::string_view s) {
        std::memcpy(at_, s.data(), s.size());
        at_ += s.size();
    }
    static constexpr std::size_t kReadAhead = 16;
    // A row's number from a buffer of kReadAhead bytes (it has at most seven digits).
    void putNumber(const char (&digits)[kReadAhead], std::size_t length) {
        std::memcpy(at_, digits, kReadAhead);
        at_ += length;
    }
    // A piece of NewRowWriter's (kPieceRoom bytes readable).
    static constexpr std::size_t kPieceRoom = 32;
    void putPiece(const std::string& s) {
        if (s.size() > kPieceRoom) {
            put(s);
            return;
        }
        std::memcpy(at_, s.data(), kPieceRoom);
        at_ += s.size();
    }
    void column(int col) {
        char letters[4];
        int n = 0;
        for (; col > 0 && n < 4; col = (col - 1) / 26)
            letters[n++] = static_cast<char>('A' + (col - 1) % 26);
        while (n > 0)
            put(letters[--n]);
    }
    // The escaping of the tree's writer (AppendEscapedText, AppendEscapedAttribute).
    void escaped(std::string_view s, bool attribute) {
        for (char ch : s) {
            const auto c = static_cast<unsigned char>(ch);
            if (c >= 32 && c != '&' && c != '<' && c != '>' && c != '"') {
                put(ch);
                continue;
            }
            switch (c) {
            case '&':
                put("&amp;");
                break;
            case '<':
                put("&lt;");
                break;
            case '>':
                put(attribute ? std::string_view(">") : std::string_view("&gt;"));
                break;
            case '"':
                put(attribute ? std::string_view("&quot;") : std::string_view("\""));
                break;
            default:
                if (!attribute && (c == '\t' || c == '\n' || c == '\r')) {
                    put(ch);
                } else {
                    const char code[] = {'&', '#', static_cast<char>('0' + c / 10),
                                         static_cast<char>('0' + c % 10), ';'};
                    put(std::string_view(code, sizeof code));
                }
            }
        }
    }

private:
    char* at_;
};

} // namespace

NewRowWriter::NewRowWriter(std::string_view prefix) : prefix_(prefix.size()) {
    const std::string p(prefix);
    rowOpen_ = "<" + p + "row r=\"";
    rowClose_ = "</" + p + "row>";
    cellOpen_ = "<" + p + "c r=\"";
    valueOpen_ = "\"><" + p + "v>";
    valueClose_ = "</" + p + "v></" + p + "c>";
    stringOpen_ = "\" t=\"inlineStr\"><" + p + "is><" + p + "t";
    stringClose_ = "</" + p + "t></" + p + "is></" + p + "c>";
    // Each piece's storage holds Cursor::kPieceRoom bytes and more (see Cursor::putPiece).
    for (std::string* piece : {&rowOpen_, &rowClose_, &cellOpen_, &valueOpen_, &valueClose_,
                               &stringOpen_, &stringClose_})
        piece->reserve(2 * Cursor::kPieceRoom);
}

void NewTexts::setValue(NewCell& cell, std::string_view stored, bool inlineString) {
    if (values_.size() + stored.size() > UINT32_MAX)
        Fail("書き込む値が大きすぎます");
    cell.valueAt = static_cast<std::uint32_t>(values_.size());
    cell.valueSize = static_cast<std::uint32_t>(stored.size());
    cell.inlineString = inlineString && !stored.empty();
    values_.append(stored);
}

std::uint32_t NewTexts::keepStyle(const std::string& style) {
    for (std::size_t i = 0; i < styles_.size(); ++i)
        if (styles_[i] == style)
            return static_cast<std::uint32_t>(i);
    styles_.push_back(style);
    return static_cast<std::uint32_t>(styles_.size() - 1);
}

std::size_t NewRowWriter::bytes(const NewRow& row, const NewTexts& texts) const {
    // A row's tags and number; per cell its tags, address, "s", "t" and xml:space, and the style
    // and value escaped (six bytes a character at most).
    std::size_t bytes = 32 + 2 * prefix_ + Cursor::kPieceRoom; // and room to copy a piece whole
    for (const NewCell& cell : row.cells)
        bytes += 96 + 8 * prefix_ + 6 * (texts.style(cell).size() + cell.valueSize);
    return bytes;
}

void NewRowWriter::append(std::string& out, int number, const NewRow& row,
                          const NewTexts& texts) const {
    const std::size_t start = out.size();
    out.resize(start + bytes(row, texts));
    Cursor w(out.data() + start);
    char digits[Cursor::kReadAhead];
    const std::string_view rowDigits(digits,
                                     std::to_chars(digits, digits + sizeof digits, number).ptr);
    w.putPiece(rowOpen_);
    w.putNumber(digits, rowDigits.size());
    if (row.cells.empty()) {
        w.put("\"/>");
    } else {
        w.put("\">");
        for (const NewCell& cell : row.cells) {
            // Every piece after the reference starts with the quote that closes it.
            w.putPiece(cellOpen_);
            w.column(cell.col);
            w.putNumber(digits, rowDigits.size());
            if (cell.style != 0) {
                w.put("\" s=\"");
                w.escaped(texts.style(cell), true);
            }
            const std::string_view value = texts.value(cell);
            if (value.empty()) {
                w.put("\"/>");
                continue;
            }
            if (cell.inlineString) {
                w.putPiece(stringOpen_);
                if (NeedsSpacePreserved(value))
                    w.put(" xml:space=\"preserve\"");
                w.put('>');
                w.escaped(value, false);
                w.putPiece(stringClose_);
            } else {
                // A number's literal holds digits, a sign, a point and an exponent: nothing the
                // writer escapes.
                w.putPiece(valueOpen_);
                w.put(value);
                w.putPiece(valueClose_);
            }
        }
        w.putPiece(rowClose_);
    }
    out.resize(static_cast<std::size_t>(w.at() - out.data()));
}

std::string NewCellText(const NewCell& cell, const NewTexts& texts) {
    const std::string_view value = texts.value(cell);
    return cell.inlineString ? UnescapeCellText(value) : std::string(value);
}

} // namespace sheets::xlsx
