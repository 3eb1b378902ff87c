#include "citylink/core/attendance_csv.h"

#include "foundation/cp932.h"
#include "foundation/dates.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

namespace citylink {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

std::string_view trimBlanksRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    return trimBlanksRight(s);
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A date column as the table keeps it: "yyyy/mm/dd" when it is a date, its text otherwise.
void normaliseDate(std::string& field) {
    if (auto d = dates::parseDate(field))
        field = dates::formatYmd(*d);
}

std::string quoted(const std::filesystem::path& file) {
    auto u8 = file.u8string();
    return "「" + std::string(u8.begin(), u8.end()) + "」";
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Eight ASCII bytes at a time: the export is mostly digits, commas and slashes.
        if (end - p >= 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, p, 8);
            if ((chunk & 0x8080808080808080ull) == 0) {
                p += 8;
                continue;
            }
        }
        unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int len;
        unsigned lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0; // no overlong forms
            if (c == 0xED)
                hi = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90;
            if (c == 0xF4)
                hi = 0x8F; // nothing past U+10FFFF
        } else {
            return false;
        }
        if (end - p < len)
            return false;
        if (p[1] < lo || p[1] > hi)
            return false;
        for (int i = 2; i < len; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return false;
        p += len;
    }
    return true;
}

std::optional<DecodedText> decodeExportText(std::string_view bytes) {
    bool bom = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    bool nonAscii = false;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            nonAscii = true;
            break;
        }
    }
    // A CP932 export fails the UTF-8 test at its first Japanese character, so this costs little.
    if (nonAscii && isValidUtf8(bytes)) {
        if (bom)
            bytes.remove_prefix(kUtf8Bom.size());
        return DecodedText{std::string(bytes), TextEncoding::Utf8};
    }
    if (auto text = cp932::tryToUtf8(bytes))
        return DecodedText{std::move(*text), TextEncoding::Cp932};
    return std::nullopt;
}

bool VbFieldReader::next(std::string& field) {
    const std::size_t n = text_.size();
    // Blanks, and whole empty lines unless a comma has promised a field.
    for (;;) {
        while (pos_ < n && isBlank(text_[pos_]))
            ++pos_;
        if (afterComma_ || pos_ >= n || !isLineBreak(text_[pos_]))
            break;
        ++pos_;
    }
    if (pos_ >= n) {
        if (!afterComma_)
            return false;
        afterComma_ = false;
        field.clear(); // "a," at the very end: the comma closes an empty last field
        return true;
    }

    if (text_[pos_] == '"') {
        ++pos_;
        field.clear();
        for (;;) {
            std::size_t close = text_.find('"', pos_);
            if (close == std::string_view::npos) {
                field.append(text_.substr(pos_));
                pos_ = n;
                break;
            }
            field.append(text_.substr(pos_, close - pos_));
            pos_ = close + 1;
            if (pos_ < n && text_[pos_] == '"') { // "" is one literal quote
                field.push_back('"');
                ++pos_;
                continue;
            }
            break;
        }
        // Anything between the closing quote and the delimiter belongs to the field.
        std::size_t stop = pos_;
        while (stop < n && text_[stop] != ',' && !isLineBreak(text_[stop]))
            ++stop;
        field.append(trimBlanks(text_.substr(pos_, stop - pos_)));
        pos_ = stop;
    } else {
        std::size_t stop = pos_;
        while (stop < n && text_[stop] != ',' && !isLineBreak(text_[stop]))
            ++stop;
        field.assign(trimBlanksRight(text_.substr(pos_, stop - pos_)));
        pos_ = stop;
    }

    // Consume the delimiter.
    afterComma_ = false;
    if (pos_ < n) {
        if (text_[pos_] == ',') {
            afterComma_ = true;
            ++pos_;
        } else if (text_[pos_] == '\r') {
            ++pos_;
            if (pos_ < n && text_[pos_] == '\n')
                ++pos_;
        } else { // '\n'
            ++pos_;
        }
    }
    return true;
}

AttendanceCsvResult parseAttendanceCsv(std::string_view bytes) {
    AttendanceCsvResult result;
    auto decoded = decodeExportText(bytes);
    if (!decoded) {
        result.error = CsvReadError{5, "文字コードがCP932（Shift_JIS）でもUTF-8でもありません。"};
        return result;
    }
    result.encoding = decoded->encoding;

    VbFieldReader reader(decoded->utf8);
    std::string field;
    for (int i = 0; i < AttendanceRecord::kFieldCount; ++i) {
        if (!reader.next(field)) {
            result.error = CsvReadError{62, "見出し行の項目が15個に足りません。"};
            return result;
        }
    }

    std::vector<AttendanceRecord> records;
    // About 130 bytes a record in real exports; reserving avoids most regrowth on big months.
    records.reserve(decoded->utf8.size() / 100 + 1);
    for (;;) {
        AttendanceRecord record;
        if (!reader.next(record.fields[0]))
            break;
        for (int i = 1; i < AttendanceRecord::kFieldCount; ++i) {
            if (!reader.next(record.fields[static_cast<std::size_t>(i)])) {
                result.error = CsvReadError{
                    62, "最後のレコードの項目が15個に足りません（" + std::to_string(i) + "個）。"};
                return result;
            }
        }
        normaliseDate(record.fields[0]);
        normaliseDate(record.fields[3]);
        records.push_back(std::move(record));
    }
    if (records.empty()) {
        result.error = CsvReadError{9, "見出し行の後に出席データがありません。"};
        return result;
    }
    result.records = std::move(records);
    return result;
}

AttendanceCsvResult readAttendanceCsvFile(const std::filesystem::path& file) {
    AttendanceCsvResult result;
    std::error_code ec;
    auto status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::exists(status)) {
        result.error = CsvReadError{53, "ファイルが見つかりません。" + quoted(file)};
        return result;
    }
    if (std::filesystem::is_directory(status)) {
        result.error = CsvReadError{75, "ファイルではありません。" + quoted(file)};
        return result;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(file.c_str(), "rb"), &std::fclose);
    if (!in) {
        result.error = CsvReadError{75, "ファイルを開けません。" + quoted(file)};
        return result;
    }
    std::string bytes;
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
        if (bytes.size() + got > kMaxCsvBytes) {
            result.error = CsvReadError{7, "ファイルが大きすぎます。" + quoted(file)};
            return result;
        }
        bytes.append(buffer, got);
    }
    if (std::ferror(in.get())) {
        result.error = CsvReadError{75, "ファイルを読み込めません。" + quoted(file)};
        return result;
    }
    return parseAttendanceCsv(bytes);
}

} // namespace citylink
