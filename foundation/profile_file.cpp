#include "foundation/profile_file.h"

#include "foundation/blanks.h"
#include "foundation/cp932.h"

#include <stdexcept>

namespace profile_file {
namespace {

bool isLead(char c) {
    return cp932::isLeadByte(static_cast<unsigned char>(c));
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Position of the last `c` in text that is a character of its own, not the trail byte of a
// double-byte character; npos when there is none.
std::size_t lastSingleByte(std::string_view text, char c) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size();) {
        if (isLead(text[i]) && i + 1 < text.size()) {
            i += 2;
            continue;
        }
        if (text[i] == c)
            found = i;
        ++i;
    }
    return found;
}

std::string_view stripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

Line classify(std::string_view bytes, std::size_t begin, std::size_t end, std::size_t next) {
    Line line;
    line.begin = begin;
    line.end = end;
    line.next = next;
    std::string_view text = bytes.substr(begin, end - begin);
    std::string_view trimmed = blanks::trim(text);
    if (trimmed.empty())
        return line;
    if (trimmed.front() == ';') {
        line.kind = Line::Kind::Comment;
        return line;
    }
    if (trimmed.front() == '[') {
        std::string_view inner = trimmed.substr(1);
        std::size_t close = lastSingleByte(inner, ']');
        if (close != std::string_view::npos) {
            line.kind = Line::Kind::Section;
            line.name = blanks::trim(inner.substr(0, close));
            return line;
        }
    }
    // '=' (0x3D) is never a trail byte, so a plain search cannot land inside a character.
    line.kind = Line::Kind::Key;
    std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        line.name = trimmed;
        return line;
    }
    line.hasEquals = true;
    line.valueBegin = begin + eq + 1;
    line.name = blanks::trim(text.substr(0, eq));
    line.value = blanks::trim(text.substr(eq + 1));
    return line;
}

struct Found {
    std::size_t section = std::string_view::npos; // index of the section header line
    std::size_t lastKey = std::string_view::npos; // index of the section's last key line
    std::size_t key = std::string_view::npos;     // index of the key's line
};

Found locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Found f;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (f.section == std::string_view::npos) {
            if (l.kind == Line::Kind::Section && namesEqual(l.name, section))
                f.section = i;
            continue;
        }
        if (l.kind == Line::Kind::Section)
            break;
        if (l.kind != Line::Kind::Key)
            continue;
        f.lastKey = i;
        if (f.key == std::string_view::npos && namesEqual(l.name, key))
            f.key = i;
    }
    return f;
}

bool endsInsideCharacter(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size())
        i += isLead(text[i]) ? 2 : 1;
    return i > text.size();
}

bool hasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

bool namesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size();) {
        if (isLead(a[i]) && i + 1 < a.size()) {
            // Both bytes exactly: the trail byte of ア (0x83 0x41) must not match that of ャ
            // (0x83 0x61) just because 0x41 and 0x61 are 'A' and 'a'.
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            i += 2;
            continue;
        }
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
        ++i;
    }
    return true;
}

std::vector<Line> splitLines(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        // CR and LF (0x0D, 0x0A) are never trail bytes: a byte search is safe.
        std::size_t end = bytes.find_first_of("\r\n", begin);
        std::size_t next;
        if (end == std::string_view::npos) {
            end = next = bytes.size();
        } else if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
            next = end + 2;
        } else {
            next = end + 1;
        }
        lines.push_back(classify(bytes, begin, end, next));
        begin = next;
    }
    return lines;
}

std::optional<std::string> findValue(std::string_view bytes, std::string_view section,
                                     std::string_view key) {
    section = blanks::trim(section);
    key = blanks::trim(key);
    auto lines = splitLines(bytes);
    Found f = locate(lines, section, key);
    if (f.key == std::string_view::npos)
        return std::nullopt;
    return std::string(stripQuotes(lines[f.key].value));
}

std::string getString(std::string_view bytes, std::string_view section, std::string_view key) {
    auto value = findValue(bytes, section, key);
    if (!value)
        return {};
    std::string_view v = *value;
    // The Windows functions hand the value over in a NUL-terminated buffer: a NUL ends it.
    v = v.substr(0, v.find('\0'));
    // The buffer holds 1023 bytes; the Windows functions may cut a double-byte character in half
    // there, which leaves a stray lead byte that garbles the text. We cut before that character.
    return std::string(v.substr(0, cp932::wholeCharPrefix(v, kMaxValueBytes)));
}

std::optional<std::string> writeProblem(std::string_view section, std::string_view key,
                                        std::string_view value) {
    if (blanks::trim(section).empty())
        return "the section name is empty";
    if (blanks::trim(key).empty())
        return "the key name is empty";
    if (hasLineBreakOrNul(section) || hasLineBreakOrNul(key) || hasLineBreakOrNul(value))
        return "a name or the value holds a line break or NUL";
    // Checked on the name as it will be written, trimmed.
    std::string_view s = blanks::trim(section);
    if (lastSingleByte(s, ']') != std::string_view::npos)
        return "the section name holds ']'";
    // A lone lead byte at the end would take the closing ']' as its trail byte.
    if (endsInsideCharacter(s))
        return "the section name ends inside a double-byte character";
    if (key.find('=') != std::string_view::npos)
        return "the key name holds '='";
    std::string_view k = blanks::trim(key);
    if (k.front() == ';' || k.front() == '[')
        return "the key name starts with ';' or '['";
    return std::nullopt;
}

Edit setValueEdit(std::string_view bytes, std::string_view section, std::string_view key,
                  std::string_view value) {
    if (auto problem = writeProblem(section, key, value))
        throw std::invalid_argument("cannot write the setting: " + *problem);
    section = blanks::trim(section);
    key = blanks::trim(key);
    auto lines = splitLines(bytes);
    Found f = locate(lines, section, key);

    Edit edit;
    if (f.key != std::string_view::npos) {
        const Line& l = lines[f.key];
        if (l.hasEquals) {
            edit.offset = l.valueBegin;
            edit.erase = l.end - l.valueBegin;
            edit.insert = std::string(value);
        } else {
            edit.offset = l.end;
            edit.insert = "=" + std::string(value);
        }
        return edit;
    }

    std::string keyLine = std::string(key) + "=" + std::string(value) + "\r\n";
    if (f.section != std::string_view::npos) {
        const Line& after = lines[f.lastKey != std::string_view::npos ? f.lastKey : f.section];
        edit.offset = after.next;
        edit.insert = (after.next == after.end ? "\r\n" : "") + keyLine;
        return edit;
    }

    edit.offset = bytes.size();
    bool endsInBreak = bytes.empty() || bytes.back() == '\r' || bytes.back() == '\n';
    edit.insert = (endsInBreak ? "" : "\r\n") + ("[" + std::string(section) + "]\r\n") + keyLine;
    return edit;
}

std::string setValue(std::string_view bytes, std::string_view section, std::string_view key,
                     std::string_view value) {
    Edit e = setValueEdit(bytes, section, key, value);
    std::string out;
    out.reserve(bytes.size() + e.insert.size());
    out.append(bytes.substr(0, e.offset));
    out.append(e.insert);
    out.append(bytes.substr(e.offset + e.erase));
    return out;
}

} // namespace profile_file
