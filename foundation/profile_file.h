#pragma once
// A Windows profile (INI) file as bytes in code page 932: reading one value and computing the bytes
// after setting one key. Pure functions over the file's bytes, so that they are tested on exact
// byte fixtures and fuzzed; the file I/O sits in mdl_system_ini.cpp.
//
// Why our own code rather than an INI library: the files are shared with the Windows programs of
// the suite, which use the Windows profile functions. We must read what those functions read and
// write exactly the bytes they would write, leaving every other byte of the file alone (comments,
// blank lines, odd spacing, line-end style), in CP932 where a trail byte may look like '[', ']',
// '\' or an ASCII letter. General INI libraries re-serialise the whole file, know nothing of
// double-byte characters and differ in the rules below. Writing our own also lets a write replace
// the file atomically, which the Windows functions do not.
//
// The rules (all names and values are CP932 bytes):
// - Lines end in CR LF, LF or CR.
// - A line whose first non-blank character is ';' is a comment; a blank line is nothing.
// - A line whose first non-blank character is '[' and that holds a ']' is a section header; the
// name
//   lies between the '[' and the last ']' of the line, blanks and tabs around it ignored.
// - Any other line in a section is a key line: the key is the text before the first '=' (the whole
//   line when there is none, with an empty value), the value the text after it; blanks and tabs
//   around both are ignored, and a value with the same quote character (' or ") at both ends loses
//   both, once.
// - Section and key names compare without regard to the case of ASCII letters; a double-byte
//   character compares exactly (its trail byte may look like an ASCII letter).
// - Only the first section of a name is searched; in it the first key of a name wins.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace profile_file {

// The longest value GetString returns, in bytes (a 1024-byte buffer with its terminating NUL).
inline constexpr std::size_t kMaxValueBytes = 1023;

// One line of the file. [begin, end) is the line's text without its line break, [end, next) the
// line break (empty on a last line that has none).
struct Line {
    enum class Kind { Blank, Comment, Section, Key };
    Kind kind = Kind::Blank;
    std::size_t begin = 0, end = 0, next = 0;
    std::string_view name;      // Section: the section name; Key: the key name (both trimmed)
    std::string_view value;     // Key: the value, trimmed, quotes not yet removed
    bool hasEquals = false;     // Key: the line holds '='
    std::size_t valueBegin = 0; // Key with '=': offset of the byte after the '='
};

// The file's lines, in order. Never fails: every byte sequence is some profile file.
std::vector<Line> splitLines(std::string_view bytes);

// Whether two names are equal without regard to the case of ASCII letters, double-byte aware.
bool namesEqual(std::string_view a, std::string_view b);
// The value of key in the first section named section, with its quotes removed, uncut;
// nullopt when the section or the key is missing. The names are trimmed before the search.
std::optional<std::string> findValue(std::string_view bytes, std::string_view section,
                                     std::string_view key);
// What the profile functions return: the value up to a NUL byte, cut to at most kMaxValueBytes at
// the end of a whole character; "" when the section or the key is missing.
std::string getString(std::string_view bytes, std::string_view section, std::string_view key);

// Whether section, key and value can be written so that they read back: names not empty after
// trimming, no CR, LF or NUL anywhere, no ']' in the section name and no half character at its
// end, no '=' in the key, a key not starting with ';' or '['. Returns the reason, or nullopt when
// they are fine.
std::optional<std::string> writeProblem(std::string_view section, std::string_view key,
                                        std::string_view value);

// A change of the file: replace `erase` bytes at `offset` by `insert`.
struct Edit {
    std::size_t offset = 0;
    std::size_t erase = 0;
    std::string insert;
};

// The edit that sets key in section to value (as the Windows profile functions write it):
// - an existing key keeps its line up to and including the '='; the rest of the line's text
//   becomes the value (a key line without '=' gets "=" and the value appended);
// - a new key goes on a line of its own, "key=value" CR LF, right after the last key line of the
//   section, or right after the section header when it has no key yet;
// - a new section "[section]" CR LF "key=value" CR LF is appended after the last line.
// Where the new text follows a last line without a line break, CR LF is put first.
// Throws std::invalid_argument when writeProblem reports a problem.
Edit setValueEdit(std::string_view bytes, std::string_view section, std::string_view key,
                  std::string_view value);
// The file's bytes after setValueEdit.
std::string setValue(std::string_view bytes, std::string_view section, std::string_view key,
                     std::string_view value);

} // namespace profile_file
