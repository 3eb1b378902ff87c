#include "gridmover/core/logical_lines.h"

#include "gridmover/core/vb_text.h"

namespace gridmover {

using namespace vbtext;

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

void ReadLogicalLine(LineReader& in, std::string& line, std::vector<std::string>& raw) {
    // The first physical line goes into the string already there: most logical lines are one
    // physical line, and every line of every file passes here.
    line.assign(in.Next());
    raw.resize(1);
    raw.front().assign(line);
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
        raw.push_back(next);
        std::string joined(RTrim(trimmed.substr(0, trimmed.size() - 1)));
        joined += ' ';
        joined += LTrim(next);
        line = std::move(joined);
    }
}

bool IsCommentStart(std::string_view line) {
    std::string_view t = LTrim(line);
    return t.substr(0, 3) == "Rem" || t.substr(0, 1) == "'";
}

void WriteRawLines(std::string& out, const std::vector<std::string>& raw) {
    for (const auto& r : raw) {
        WriteLine(out, r);
    }
}

void WriteChangeBlock(std::string& out, const std::vector<std::string>& raw) {
    out += kCodeChangeMarker;
    out += kCrLf;
    for (const auto& r : raw) {
        out += '\'';
        out += r;
        out += kCrLf;
    }
}

} // namespace gridmover
