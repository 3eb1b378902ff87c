#pragma once
// Reading VB6 source text as logical lines, and writing lines back as the converters do.
// Files are handled as bytes (CP932 in Japanese projects): a line that is not rewritten is written
// back byte for byte, also when it is not valid CP932. A line ends at LF; a CR right before it (or
// at the very end of the file) is part of the line end, so files with CR LF and files that lost
// their CRs both read correctly. Every output line ends in CR LF, as VB6 writes it, including a
// last line that had no line end.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gridmover {

inline constexpr std::string_view kCrLf = "\r\n";

// The marker line written before every rewritten code line.
inline constexpr std::string_view kCodeChangeMarker =
    "'*** Orvel Migration Utility Code Change ***";

// Reads physical lines from the bytes of a text file.
class LineReader {
public:
    explicit LineReader(std::string_view data) : data_(data) {}
    bool AtEnd() const { return pos_ >= data_.size(); }
    // The next physical line without its line end; empty at the end of the data.
    std::string_view Next();

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

// Reads one logical line: physical lines joined where a line ends in " _" (not after a comment
// start "Rem"/"'" on the first line). raw receives the physical lines as read.
void ReadLogicalLine(LineReader& in, std::string& line, std::vector<std::string>& raw);

// Whether the line is a comment ("Rem" or "'" after leading blanks).
bool IsCommentStart(std::string_view line);

// A line and its CR LF.
inline void WriteLine(std::string& out, std::string_view line) {
    out += line;
    out += kCrLf;
}
// The physical lines as read, each with CR LF.
void WriteRawLines(std::string& out, const std::vector<std::string>& raw);
// The marker line and the physical lines commented out: what stands before a rewritten line.
void WriteChangeBlock(std::string& out, const std::vector<std::string>& raw);

} // namespace gridmover
