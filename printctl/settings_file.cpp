#include "printctl/settings_file.h"

#include "foundation/cp932.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace printctl::settings_file {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits the first line into its fields the way the Windows programs' reader does: a field that
// starts with a double quote runs to the next double quote (commas inside belong to it), any other
// field runs to the next comma.
std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos <= line.size()) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        std::size_t comma;
        if (pos < line.size() && line[pos] == '"') {
            std::size_t close = line.find('"', pos + 1);
            if (close == std::string_view::npos)
                throw std::runtime_error("the printer name has no closing double quote");
            fields.push_back(line.substr(pos + 1, close - pos - 1));
            comma = line.find(',', close + 1);
            if (!trimBlanks(line.substr(close + 1, comma == std::string_view::npos
                                                       ? std::string_view::npos
                                                       : comma - close - 1))
                     .empty())
                throw std::runtime_error("text follows a quoted field");
        } else {
            comma = line.find(',', pos);
            fields.push_back(trimBlanks(line.substr(
                pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos)));
        }
        if (comma == std::string_view::npos)
            break;
        pos = comma + 1;
    }
    return fields;
}

double parseNumber(std::string_view field, const char* which) {
    std::string_view text = field;
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    // from_chars also reads "inf" and "nan", which no writer of this file produces.
    bool plain = !text.empty();
    for (char c : text)
        plain = plain && ((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' ||
                          c == 'E');
    double value = 0;
    if (plain) {
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        plain = ec == std::errc() && end == text.data() + text.size();
    }
    if (!plain)
        throw std::runtime_error(std::string("the ") + which + " margin \"" + std::string(field) +
                                 "\" is not a number");
    return value;
}

} // namespace

std::optional<std::string> FormatNumber(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    // std::to_chars with a precision is printf's "%.*g" in the C locale, whatever the process's
    // locale says (Qt programs run in the user's locale, where printf may write a decimal comma).
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc())
        return std::nullopt;
    std::string text(buf, end);
    for (char& c : text) {
        if (c == 'e')
            c = 'E';
    }
    return text;
}

Encoded Encode(const Contents& contents) {
    if (contents.printer.find_first_of("\"\r\n") != std::string::npos)
        return {{}, "the printer name holds a double quote or a line break"};
    auto name = cp932::tryFromUtf8(contents.printer);
    if (!name)
        return {{}, "the printer name holds a character that Shift_JIS (CP932) cannot store"};
    std::string line = "\"" + *name + "\"";
    for (double margin : {contents.top, contents.bottom, contents.left, contents.right}) {
        auto text = FormatNumber(margin);
        if (!text)
            return {{}, "a margin is not a finite number"};
        // Rounded to 15 digits, the largest numbers exceed the largest double: such a file
        // could not be read again.
        double check = 0;
        auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), check);
        if (ec != std::errc() || end != text->data() + text->size())
            return {{}, "the margin " + *text + " cannot be read back"};
        line += ',';
        line += *text;
    }
    line += "\r\n";
    return {line, {}};
}

Contents Decode(std::string_view bytes) {
    std::string_view line = bytes.substr(0, bytes.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    auto fields = splitFields(line);
    if (fields.size() < 5)
        throw std::runtime_error("the line holds " + std::to_string(fields.size()) +
                                 " fields instead of a printer name and four margins");
    auto name = cp932::tryToUtf8(fields[0]);
    if (!name)
        throw std::runtime_error("the printer name is not Shift_JIS (CP932) text");
    Contents contents;
    contents.printer = *name;
    contents.top = parseNumber(fields[1], "top");
    contents.bottom = parseNumber(fields[2], "bottom");
    contents.left = parseNumber(fields[3], "left");
    contents.right = parseNumber(fields[4], "right");
    return contents;
}

} // namespace printctl::settings_file
