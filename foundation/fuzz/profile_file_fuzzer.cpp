// Fuzzes the profile-file reader and writer on arbitrary bytes.
//
// Input: 6 header bytes, then the names and the value, then the file's bytes.
//   [0] bit 0 set: take the section and key names from the file's own lines (picked by [1], [2]),
//       else read them from the input (lengths [4] % 8 and [5] % 8);
//   [3] % 64: the value's length.
// Checks: every read stays within 1023 bytes; a write either is refused as invalid or yields bytes
// that read back the value, change no other key, touch no line break, and are unchanged by the
// same write repeated.
#include "foundation/blanks.h"
#include "foundation/profile_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using profile_file::Line;

void check(bool ok) {
    if (!ok)
        std::abort();
}

struct Take {
    std::string_view rest;
    std::string_view next(std::size_t n) {
        n = std::min(n, rest.size());
        auto part = rest.substr(0, n);
        rest.remove_prefix(n);
        return part;
    }
};

void checkRead(std::string_view file, std::string_view section, std::string_view key) {
    std::string v = profile_file::getString(file, section, key);
    check(v.size() <= profile_file::kMaxValueBytes);
    check(v.find('\0') == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6)
        return 0;
    Take in{std::string_view(reinterpret_cast<const char*>(data) + 6, size - 6)};
    std::string_view section, key, value;
    bool fromFile = data[0] & 1;
    if (!fromFile) {
        section = in.next(data[4] % 8);
        key = in.next(data[5] % 8);
    }
    value = in.next(data[3] % 64);
    std::string_view file = in.rest;

    auto lines = profile_file::splitLines(file);
    std::vector<std::pair<std::string_view, std::string_view>> pairs; // (section, key) in the file
    std::vector<std::string_view> sections;
    std::string_view current;
    bool inSection = false;
    std::size_t covered = 0;
    for (const Line& l : lines) {
        check(l.begin == covered && l.begin <= l.end && l.end <= l.next && l.next <= file.size());
        covered = l.next;
        if (l.kind == Line::Kind::Section) {
            current = l.name;
            inSection = true;
            sections.push_back(l.name);
        } else if (l.kind == Line::Kind::Key && inSection && pairs.size() < 32) {
            pairs.emplace_back(current, l.name);
        }
    }
    check(covered == file.size());

    if (fromFile) {
        section = sections.empty() ? std::string_view("s") : sections[data[1] % sections.size()];
        key = pairs.empty() ? std::string_view("k") : pairs[data[2] % pairs.size()].second;
    }
    for (const auto& [s, k] : pairs)
        checkRead(file, s, k);
    checkRead(file, section, key);

    if (profile_file::writeProblem(section, key, value)) {
        try {
            profile_file::setValueEdit(file, section, key, value);
            check(false);
        } catch (const std::invalid_argument&) {
        }
        return 0;
    }

    profile_file::Edit edit = profile_file::setValueEdit(file, section, key, value);
    check(edit.offset + edit.erase <= file.size());
    // Only the text of one line is replaced, never a line break.
    check(file.substr(edit.offset, edit.erase).find_first_of("\r\n") == std::string_view::npos);
    std::string after = profile_file::setValue(file, section, key, value);
    check(after.compare(0, edit.offset, file.substr(0, edit.offset)) == 0);
    check(std::string_view(after).substr(edit.offset + edit.insert.size()) ==
          file.substr(edit.offset + edit.erase));

    // The value reads back as a lone "key=value" line would read.
    std::string alone = "[s]\r\nk=" + std::string(value) + "\r\n";
    auto expected = profile_file::findValue(alone, "s", "k");
    auto got = profile_file::findValue(after, section, key);
    check(got.has_value() && expected.has_value() && *got == *expected);
    bool plain =
        blanks::trim(value) == value &&
        !(value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]);
    if (plain)
        check(*got == value);

    // No other key changes.
    auto ts = blanks::trim(section), tk = blanks::trim(key);
    for (const auto& [s, k] : pairs) {
        if (profile_file::namesEqual(s, ts) && profile_file::namesEqual(k, tk))
            continue;
        check(profile_file::findValue(file, s, k) == profile_file::findValue(after, s, k));
    }
    // Writing the same again changes nothing.
    check(profile_file::setValue(after, section, key, value) == after);
    return 0;
}
