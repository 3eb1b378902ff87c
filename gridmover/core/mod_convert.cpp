#include "gridmover/core/mod_convert.h"

#include "gridmover/core/file_access.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/source_kind.h"
#include "gridmover/core/vb_text.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace gridmover {

namespace fs = std::filesystem;
using namespace vbtext;

namespace {

constexpr std::string_view kCrLf = "\r\n";

const GridVersion& row(std::int16_t r) {
    return *Versions().Item(static_cast<long>(r));
}

bool isCommentStart(std::string_view line) {
    std::string_view t = LTrim(line);
    return t.substr(0, 3) == "Rem" || t.substr(0, 1) == "'";
}

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

enum class BlockKind { None, Grid, DropDown };

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

BlockKind blockKind(std::string_view line, const GridVersion& from) {
    std::string_view cls = beginClass(line);
    if (cls.empty()) {
        return BlockKind::None;
    }
    if (EqualsNoCase(cls, from.FullName)) {
        return BlockKind::Grid;
    }
    if (EqualsNoCase(cls, from.GridLibName() + ".LTabDropDown")) {
        return BlockKind::DropDown;
    }
    return BlockKind::None;
}

std::uint32_t le32(const std::string& d, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(d[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 3])) << 24;
}

// The 16 bytes of a GUID as stored in a binary file, in a buffer of their own (no allocation: a
// record is searched for every GUID of a version).
struct GuidBytes {
    explicit GuidBytes(const GUID& g) { g.ToBytes(bytes); }
    std::string_view view() const {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }
    std::array<std::uint8_t, 16> bytes{};
};

// FindGridDeclaration with the library's search texts formed once per file, not once per line.
struct DeclarationTexts {
    explicit DeclarationTexts(std::int16_t from)
        : lib(row(from).GridLibName()), as("As " + lib + "."), asNew("As New " + lib + ".") {}
    int find(std::string_view line) const {
        // Both texts contain the library name: a line without it needs no closer look.
        if (!Contains(line, lib) || isCommentStart(line)) {
            return 0;
        }
        if (Contains(line, as)) {
            return 1;
        }
        if (Contains(line, asNew)) {
            return 2;
        }
        return 0;
    }
    std::string lib;
    std::string as;
    std::string asNew;
};

// ReplaceAllGridDeclarations with its texts formed once per file, not once per changed line.
class DeclarationRewrite {
public:
    DeclarationRewrite(std::int16_t from, std::int16_t to) {
        const std::string f = row(from).GridLibName();
        const std::string t = row(to).GridLibName();
        pairs_[0] = {"As " + f + ".", "As " + t + "."};
        pairs_[1] = {"As New " + f + ".", "As New " + t + "."};
    }
    void apply(std::string& line) const {
        // Each occurrence is replaced once, searching on after the text just put in, so that a
        // target library whose name contains the source's can never make this loop endlessly.
        for (const auto& [search, repl] : pairs_) {
            for (std::size_t p = ReplaceFirst(line, search, repl); p != npos;
                 p = ReplaceFirst(line, search, repl, p)) {
            }
        }
    }

private:
    std::array<std::pair<std::string, std::string>, 2> pairs_;
};

} // namespace

std::string_view LineReader::Next() {
    if (AtEnd()) {
        return {};
    }
    std::size_t lf = data_.find('\n', pos_);
    std::size_t end = (lf == std::string_view::npos) ? data_.size() : lf;
    std::string_view line = data_.substr(pos_, end - pos_);
    pos_ = (lf == std::string_view::npos) ? data_.size() : lf + 1;
    // The CR of a CR LF, and a CR that ends the file (its LF cut off): line ends, not text, or
    // the output would carry a stray CR before its own CR LF.
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

std::string Quote(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}
std::string Brace(std::string_view s) {
    return "{" + std::string(s) + "}";
}

bool IsProjectObjectLine(std::string_view line, std::int16_t from) {
    return StartsWithNoCase(line, "Object={") && line.substr(8, 36) == row(from).LIBID;
}

std::string MakeProjectObjectLine(std::int16_t to) {
    const GridVersion& v = row(to);
    return "Object=" + Brace(v.LIBID) + v.Version + "; " + v.OCXFileName();
}

bool IsFormObjectLine(std::string_view line, std::int16_t from) {
    return StartsWithNoCase(line, "Object = \"{") && line.substr(11, 36) == row(from).LIBID;
}

std::string MakeFormObjectLine(std::int16_t to) {
    const GridVersion& v = row(to);
    return "Object = " + Quote(Brace(v.LIBID) + v.Version) + "; " + Quote(v.OCXFileName());
}

void ReplaceBeginClass(std::string& line, std::int16_t from, std::int16_t to) {
    const GridVersion& f = row(from);
    const GridVersion& t = row(to);
    BlockKind kind = blockKind(line, f);
    if (kind == BlockKind::None) {
        return;
    }
    std::string_view cls = beginClass(line);
    std::size_t p = static_cast<std::size_t>(cls.data() - line.data());
    line.replace(p, cls.size(),
                 kind == BlockKind::Grid ? t.FullName : t.GridLibName() + ".LTabDropDown");
}

int FindGridDeclaration(std::string_view line, std::int16_t from) {
    return DeclarationTexts(from).find(line);
}

void ReplaceGridDeclaration(std::string& line, std::int16_t from, std::int16_t to, int kind) {
    const std::string f = row(from).GridLibName();
    const std::string t = row(to).GridLibName();
    if (kind == 1) {
        ReplaceFirst(line, "As " + f + ".", "As " + t + ".");
    } else if (kind == 2) {
        ReplaceFirst(line, "As New " + f + ".", "As New " + t + ".");
    }
}

void ReplaceAllGridDeclarations(std::string& line, std::int16_t from, std::int16_t to) {
    DeclarationRewrite(from, to).apply(line);
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

modConvert::modConvert(TempFileSystem* temp) : temp_(temp) {
    if (temp_ == nullptr) {
        static FolderTempFiles systemTemp;
        temp_ = &systemTemp;
    }
    LoadGridVersions();
}

void modConvert::ResetDesignerLists() {
    GridNames.clear();
    DropDownNames.clear();
    GridEvents.clear();
    DropDownEvents.clear();
}

void modConvert::ReadLogicalLine(LineReader& in, std::string& line) {
    // The first physical line goes into the string already there: most logical lines are one
    // physical line, and every line of every file passes here.
    line.assign(in.Next());
    RawLines.resize(1);
    RawLines.front().assign(line);
    if (line.compare(0, 3, "Rem") == 0 || line.compare(0, 1, "'") == 0) {
        return;
    }
    for (;;) {
        std::string_view trimmed = RTrim(line);
        // The "_" must be a character of its own, not the second byte of a double-byte one.
        if (trimmed.empty() || trimmed.back() != '_' || LastCharLength(trimmed) != 1) {
            return;
        }
        if (in.AtEnd()) {
            return; // a continuation on the last line continues nothing: keep the line as it is
        }
        std::string next(in.Next());
        RawLines.push_back(next);
        std::string joined(RTrim(trimmed.substr(0, trimmed.size() - 1)));
        joined += ' ';
        joined += LTrim(next);
        line = std::move(joined);
    }
}

bool modConvert::IsGridBeginLine(std::string_view line, std::int16_t from) {
    if (blockKind(line, row(from)) == BlockKind::None) {
        return false;
    }
    RecordControlName(line, from);
    return true;
}

void modConvert::RecordControlName(std::string_view line, std::int16_t from) {
    // The name is what follows the class: the rest of the trimmed line after its second blank
    // where VB6 wrote the line, and the same where blanks and tabs were doubled or mixed.
    std::string_view cls = beginClass(line);
    if (cls.empty()) {
        return;
    }
    std::string_view rest =
        line.substr(static_cast<std::size_t>(cls.data() - line.data()) + cls.size());
    std::string name(trimSpace(rest));
    if (name.empty()) {
        return; // a Begin line without a control name names nothing to record
    }
    switch (blockKind(line, row(from))) {
    case BlockKind::Grid:
        GridNames.push_back(std::move(name));
        break;
    case BlockKind::DropDown:
        DropDownNames.push_back(std::move(name));
        break;
    case BlockKind::None:
        break;
    }
}

bool modConvert::IsGridEventHandler(std::string_view line) const {
    if (isCommentStart(line)) {
        return false;
    }
    // Every handler text begins with the ASCII "Sub ", so it can only be found where "Sub " is
    // (most lines have none, a handler line one): each text is compared there only, formed in one
    // buffer.
    std::string handler;
    auto anyHandlerAt = [&](std::size_t at, const std::vector<std::string>& names,
                            const std::vector<std::string>& suffixes) {
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
        if (anyHandlerAt(at, GridNames, GridEvents) ||
            anyHandlerAt(at, DropDownNames, DropDownEvents)) {
            return true;
        }
    }
    return false;
}

bool modConvert::RewriteEventSignature(std::string& line, std::int16_t from,
                                       std::int16_t to) const {
    const std::string fromLib = row(from).GridLibName();
    const std::string toLib = row(to).GridLibName();
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
        for (const auto& name : GridNames) {
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

void modConvert::writeRawLines(std::string& out) const {
    for (const auto& raw : RawLines) {
        out += raw;
        out += kCrLf;
    }
}

void modConvert::writeChangeBlock(std::string& out) const {
    out += kCodeChangeMarker;
    out += kCrLf;
    for (const auto& raw : RawLines) {
        out += '\'';
        out += raw;
        out += kCrLf;
    }
}

int modConvert::PatchOleObjectBlobBytes(std::string& data, std::uint32_t offset, std::int16_t from,
                                        std::int16_t to,
                                        std::vector<std::pair<std::uint64_t, std::string>>* hits) {
    // The record: 4 bytes unused, 4 bytes length N, 16 bytes unused, then N bytes of property
    // data. Offset and N come from files and are checked against the file before any use.
    const std::uint64_t size = data.size();
    if (std::uint64_t{offset} + 24 > size) {
        return kFailed;
    }
    const std::uint64_t n = le32(data, offset + 4);
    const std::uint64_t begin = std::uint64_t{offset} + 24;
    if (begin + n > size) {
        return kFailed;
    }
    const GridVersion& f = row(from);
    const GridVersion& t = row(to);
    std::string_view record(data.data() + begin, static_cast<std::size_t>(n));
    bool changed = false;
    for (const auto& g : f) {
        const GuidBytes needleBytes(*g);
        const std::string_view needle = needleBytes.view();
        std::optional<GuidBytes> replacement;
        for (std::size_t p = record.find(needle); p != std::string_view::npos;
             p = record.find(needle, p + 16)) {
            if (!replacement) {
                replacement.emplace(*t.Item(g->Name));
            }
            if (replacement->view() == needle) {
                break; // the same GUID in both versions: replacing it changes nothing
            }
            // In place: the record keeps its length, so record stays a view of data.
            std::memcpy(data.data() + begin + p, replacement->bytes.data(), 16);
            changed = true;
            if (hits != nullptr) {
                hits->emplace_back(begin + p, g->Name);
            }
        }
    }
    return changed ? kChanged : kUnchanged;
}

int modConvert::PatchOleObjectBlob(const fs::path& binaryFile, std::uint32_t offset,
                                   std::int16_t from, std::int16_t to) {
    try {
        std::string data = ReadFileBytes(binaryFile);
        std::vector<std::pair<std::uint64_t, std::string>> hits;
        int r = PatchOleObjectBlobBytes(data, offset, from, to, &hits);
        if (r != kChanged) {
            return r;
        }
        // Only the record's data is written back, in place: the file never changes its length.
        std::fstream io(binaryFile, std::ios::in | std::ios::out | std::ios::binary);
        const std::size_t begin = std::size_t{offset} + 24;
        io.seekp(static_cast<std::streamoff>(begin));
        io.write(data.data() + begin, static_cast<std::streamsize>(le32(data, offset + 4)));
        io.close();
        if (!io) {
            return kFailed;
        }
        for (auto& [at, name] : hits) {
            BlobPatches.push_back({binaryFile, at, name});
        }
        return kChanged;
    } catch (...) {
        return kFailed;
    }
}

std::string modConvert::noTempFileReason(const fs::path& folder) {
    // The seam may answer the folder from memory: asked again after a failure it looks again,
    // and a folder that is gone is named as such.
    if (!temp_->GetTempPath()) {
        return "no temporary folder";
    }
    return "no temporary file in " + folder.string();
}

std::optional<CreatedTempFile> modConvert::newTempFile() {
    auto folder = temp_->GetTempPath();
    if (!folder) {
        return std::nullopt;
    }
    return temp_->CreateTempFile(*folder, std::to_string(TempFiles.size()) + "lt5");
}

int modConvert::ConvertProjectText(std::string_view in, std::string& out, std::int16_t from,
                                   std::int16_t to) {
    LineReader reader(in);
    bool replaced = false;
    bool changed = false;
    out.reserve(in.size() + 64);
    while (!reader.AtEnd()) {
        std::string_view line = reader.Next();
        if (!replaced && IsProjectObjectLine(line, from)) {
            std::string made = MakeProjectObjectLine(to);
            // Only the first matching line is replaced, but one that already reads as the
            // target's (a conversion to the version it has) is no change.
            changed = made != line;
            out += made;
            replaced = true;
        } else {
            out += line;
        }
        out += kCrLf;
    }
    return changed ? kChanged : kUnchanged;
}

int modConvert::ConvertCodeText(std::string_view in, std::string& out, std::int16_t from,
                                std::int16_t to) {
    const bool libsDiffer = row(from).GridLibName() != row(to).GridLibName();
    const DeclarationTexts declarations(from);
    const DeclarationRewrite rewrite(from, to);
    LineReader reader(in);
    std::string line;
    bool changed = false;
    out.reserve(in.size() + in.size() / 8);
    while (!reader.AtEnd()) {
        ReadLogicalLine(reader, line);
        if (libsDiffer && declarations.find(line) != 0) {
            rewrite.apply(line);
            writeChangeBlock(out);
            out += line;
            out += kCrLf;
            changed = true;
        } else {
            writeRawLines(out);
        }
    }
    return changed ? kChanged : kUnchanged;
}

int modConvert::ConvertFormText(std::string_view in, std::string& out, std::int16_t from,
                                std::int16_t to,
                                const std::function<int(std::uint32_t offset)>& patchBlob) {
    for (const char* s :
         {"_FetchCellStyle", "_UnboundReadData", "_UnboundReadDataEx", "_UnboundAddData",
          "_UnboundWriteData", "_FirstRowChange", "_LeftColChange", "_FormatText"}) {
        GridEvents.emplace_back(s);
    }
    for (const char* s : {"_FetchCellStyle", "_UnboundReadData", "_UnboundReadDataEx",
                          "_UnboundAddData", "_UnboundWriteData", "_FormatText"}) {
        DropDownEvents.emplace_back(s);
    }
    const bool libsDiffer = row(from).GridLibName() != row(to).GridLibName();
    const DeclarationTexts declarations(from);
    const DeclarationRewrite rewrite(from, to);
    LineReader reader(in);
    std::string line;
    bool inCode = false;
    bool objectLineReplaced = false;
    bool changed = false;
    LineChanged = false;
    out.reserve(in.size() + in.size() / 8);
    while (!reader.AtEnd()) {
        ReadLogicalLine(reader, line);
        if (inCode) {
            if (IsGridEventHandler(line)) {
                // A rule whose replacement is the text it found (rules 3 and 8 when both versions
                // share the library) changes nothing and is not marked as a code change: a second
                // conversion to the same version must not stack up marker blocks.
                const std::string before = line;
                if (RewriteEventSignature(line, from, to) && line != before) {
                    changed = true;
                    writeChangeBlock(out);
                    LineChanged = true;
                }
            } else if (libsDiffer && declarations.find(line) != 0) {
                rewrite.apply(line);
                changed = true;
                writeChangeBlock(out);
                LineChanged = true;
            }
        } else if (EqualsNoCase(rtrimSpace(line), "End")) {
            // The designer section's end ("End" at the start of a line; VB6 writes it bare, a
            // hand-edited file may leave blanks after it, and missing it would leave every
            // handler and declaration of the form unconverted).
            inCode = true;
        } else if (!objectLineReplaced && IsFormObjectLine(line, from)) {
            line = MakeFormObjectLine(to);
            objectLineReplaced = true;
            LineChanged = true;
        } else if (IsGridBeginLine(line, from)) {
            const std::string before = line;
            ReplaceBeginClass(line, from, to);
            changed = changed || line != before;
            out += line;
            out += kCrLf;
            bool blockEnded = false;
            while (!reader.AtEnd()) {
                ReadLogicalLine(reader, line);
                if (IsBlockEndLine(line)) {
                    blockEnded = true;
                    break;
                }
                if (Contains(line, "OleObjectBlob")) {
                    if (patchBlob(ParseFrxOffset(line)) == kFailed) {
                        return kFailed;
                    }
                }
                writeRawLines(out);
            }
            if (!blockEnded) {
                // A grid block cut off by the end of the file: the file is damaged, and writing
                // on would repeat its last line. Refuse it rather than guess.
                return kFailed;
            }
            LineChanged = true;
        }
        if (LineChanged) {
            out += line;
            out += kCrLf;
            LineChanged = false;
        } else {
            writeRawLines(out);
        }
    }
    return changed ? kChanged : kUnchanged;
}

namespace {

// Temporary files this converter created but has not yet listed as pairs: removed again unless
// listed, so that no way out of a converter leaves an unlisted temporary file behind.
class UnlistedTemps {
public:
    void add(const fs::path& p) { paths_.push_back(p); }
    void listed() { paths_.clear(); }
    ~UnlistedTemps() {
        for (const auto& p : paths_) {
            std::error_code ec;
            fs::remove(p, ec);
        }
    }

private:
    std::vector<fs::path> paths_;
};

// A temporary file as the seam created it, written once through the descriptor it came with;
// the descriptor is closed on every way out.
class TempOutput {
public:
    explicit TempOutput(CreatedTempFile file) : file_(std::move(file)) {}
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;
    ~TempOutput() {
        if (file_.fd >= 0) {
            ::close(file_.fd);
        }
    }
    const fs::path& path() const { return file_.path; }
    void write(std::string_view bytes) {
        int fd = file_.fd;
        file_.fd = -1;
        WriteAndClose(fd, file_.path, bytes);
    }

private:
    CreatedTempFile file_;
};

// The file's kind by its extension, when it is one of kinds; throws, naming the file, otherwise.
SourceKind requireExtension(const fs::path& file, std::initializer_list<SourceKind> kinds) {
    const auto kind = SourceKindOf(file);
    for (SourceKind k : kinds) {
        if (kind == k) {
            return k;
        }
    }
    std::string names;
    for (SourceKind k : kinds) {
        names += (names.empty() ? "" : " or ") + std::string(SourceKindName(k));
    }
    throw std::runtime_error(file.string() + ": not a VB6 " + names + " (by its extension)");
}

// Throws, naming the file, when its bytes do not read as its kind.
void requireText(const fs::path& file, SourceKind kind, std::string_view bytes) {
    std::string why = SourceTextMismatch(kind, bytes);
    if (!why.empty()) {
        throw std::runtime_error(file.string() + ": not a VB6 " +
                                 std::string(SourceKindName(kind)) + " (" + why + ")");
    }
}

// A file the converter needs, resolved as the project names it: a missing one fails the
// conversion, named in the reason. In the usual case the name as written is a regular file,
// opened once for its read-only attribute and its bytes; any other goes the way by name.
class RequiredFile {
public:
    explicit RequiredFile(const fs::path& path) {
        if (opened_.Open(path)) {
            resolved_ = path;
            readOnly_ = opened_.IsReadOnly();
            return;
        }
        fs::file_status status;
        resolved_ = ResolvePathCaseInsensitive(path, status);
        if (!fs::exists(status)) {
            throw std::runtime_error(resolved_.string() + ": file not found");
        }
        // A pipe or a device (also behind a link) is no source file: it could make the read wait
        // forever or never end.
        if (!fs::is_regular_file(status)) {
            throw std::runtime_error(resolved_.string() + ": not a regular file");
        }
        readOnly_ = IsReadOnlyStatus(status);
    }
    const fs::path& path() const { return resolved_; }
    bool readOnly() const { return readOnly_; }
    void read(std::string& into) {
        if (opened_.IsOpen()) {
            opened_.ReadAllAndClose(resolved_, into);
        } else {
            into = ReadFileBytes(resolved_);
        }
    }

private:
    OpenedFile opened_;
    fs::path resolved_;
    bool readOnly_ = false;
};

} // namespace

int modConvert::convertTextFile(const fs::path& path, std::int16_t from, std::int16_t to,
                                TextRewrite rewrite, std::initializer_list<SourceKind> kinds) {
    UnlistedTemps guard;
    LastError.clear();
    try {
        const SourceKind kind = requireExtension(path, kinds);
        auto created = newTempFile();
        if (!created) {
            LastError = "no temporary file";
            return kFailed;
        }
        guard.add(created->path);
        TempOutput temp(std::move(*created));
        RequiredFile original(path);
        if (original.readOnly()) {
            return kReadOnly;
        }
        std::string& in = buffers_.textIn;
        original.read(in);
        requireText(original.path(), kind, in);
        OriginalFiles.push_back(original.path());
        TempFiles.push_back(temp.path());
        PendingKinds.push_back(PendingKind::Text);
        guard.listed();
        std::string& out = buffers_.textOut;
        out.clear();
        int r = (this->*rewrite)(in, out, from, to);
        temp.write(out);
        return r;
    } catch (const std::exception& e) {
        LastError = e.what();
        return kFailed;
    } catch (...) {
        LastError = "unexpected error";
        return kFailed;
    }
}

int modConvert::ConvertProjectFile(const fs::path& path, std::int16_t from, std::int16_t to) {
    return convertTextFile(path, from, to, &modConvert::ConvertProjectText, {SourceKind::Project});
}

int modConvert::ConvertCodeFile(const fs::path& path, std::int16_t from, std::int16_t to) {
    return convertTextFile(path, from, to, &modConvert::ConvertCodeText,
                           {SourceKind::Module, SourceKind::Class});
}

int modConvert::ConvertFormFile(const fs::path& designer, const fs::path& binary, std::int16_t from,
                                std::int16_t to) {
    UnlistedTemps guard;
    LastError.clear();
    try {
        const SourceKind designerKind =
            requireExtension(designer, {SourceKind::Designer, SourceKind::ActiveX});
        requireExtension(binary, {SourceKind::Binary});
        auto folder = temp_->GetTempPath();
        if (!folder) {
            LastError = "no temporary folder";
            return kFailed;
        }
        // Both temporary files carry the same prefix, taken before either is listed.
        const std::string prefix = std::to_string(TempFiles.size()) + "lt5";
        auto designerCreated = temp_->CreateTempFile(*folder, prefix);
        if (!designerCreated) {
            LastError = noTempFileReason(*folder);
            return kFailed;
        }
        guard.add(designerCreated->path);
        TempOutput designerTemp(std::move(*designerCreated));
        auto binaryCreated = temp_->CreateTempFile(*folder, prefix);
        if (!binaryCreated) {
            LastError = noTempFileReason(*folder);
            return kFailed;
        }
        guard.add(binaryCreated->path);
        TempOutput binaryTemp(std::move(*binaryCreated));
        RequiredFile binaryRequired(binary);
        RequiredFile designerRequired(designer);
        if (designerRequired.readOnly()) {
            return kReadOnly;
        }
        if (binaryRequired.readOnly()) {
            return kBinaryReadOnly;
        }
        const fs::path& binaryFile = binaryRequired.path();
        const fs::path& designerFile = designerRequired.path();
        // The binary file is patched in memory and written to its temporary once at the end:
        // the same result as copying it first and patching the copy record by record.
        std::string& binaryOriginal = buffers_.binaryOriginal;
        binaryRequired.read(binaryOriginal);
        std::string& binaryData = buffers_.binaryData;
        binaryData.assign(binaryOriginal);
        std::string& in = buffers_.textIn;
        designerRequired.read(in);
        requireText(designerFile, designerKind, in);
        OriginalFiles.push_back(designerFile);
        TempFiles.push_back(designerTemp.path());
        PendingKinds.push_back(PendingKind::Text);
        OriginalFiles.push_back(binaryFile);
        TempFiles.push_back(binaryTemp.path());
        PendingKinds.push_back(PendingKind::Binary);
        guard.listed();

        std::vector<std::pair<std::uint64_t, std::string>> hits;
        bool patched = false;
        std::string& out = buffers_.textOut;
        out.clear();
        int r = ConvertFormText(in, out, from, to, [&](std::uint32_t offset) {
            int p = PatchOleObjectBlobBytes(binaryData, offset, from, to, &hits);
            patched = patched || p == kChanged;
            if (p == kFailed) {
                char at[16];
                std::snprintf(at, sizeof at, "%04X", offset);
                LastError = binaryFile.string() + ": no property record fits at offset " + at;
            }
            return p;
        });
        if (r == kFailed) {
            if (LastError.empty()) {
                LastError = designerFile.string() + ": a grid block has no end line";
            }
            binaryTemp.write(binaryOriginal);
            return kFailed;
        }
        designerTemp.write(out);
        binaryTemp.write(patched ? binaryData : binaryOriginal);
        for (auto& [at, name] : hits) {
            BlobPatches.push_back({binaryFile, at, name});
        }
        return r;
    } catch (const std::exception& e) {
        LastError = e.what();
        return kFailed;
    } catch (...) {
        LastError = "unexpected error";
        return kFailed;
    }
}

} // namespace gridmover
