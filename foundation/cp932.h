#pragma once
// Text in Windows code page 932 (Shift_JIS with the Microsoft extensions), the encoding of every
// file this suite shares with its Windows peers: INI files, attendance CSV, the log, VB6 sources.
// Inside the programs all text is UTF-8; conversion happens only at the file boundary.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace cp932 {

// A conversion failed: invalid bytes on decoding, or a character with no CP932 form on encoding.
// offset is the byte position in the input where the conversion stopped.
class Error : public std::runtime_error {
public:
    Error(const std::string& what, std::size_t offset) : std::runtime_error(what), offset(offset) {}
    std::size_t offset;
};

// CP932 bytes -> UTF-8. Throws cp932::Error on bytes that are not valid CP932.
std::string toUtf8(std::string_view cp932Bytes);
// UTF-8 -> CP932 bytes. Throws cp932::Error on invalid UTF-8 or a character CP932 cannot hold
// (never substitutes "?").
std::string fromUtf8(std::string_view utf8);

// Non-throwing forms: std::nullopt where the throwing form would throw.
std::optional<std::string> tryToUtf8(std::string_view cp932Bytes);
std::optional<std::string> tryFromUtf8(std::string_view utf8);

// True for the first byte of a double-byte character (0x81-0x9F, 0xE0-0xFC). Byte-level scanners
// use it so that a search never matches inside a double-byte character, whose second byte may be
// an ASCII letter or a backslash.
constexpr bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length in bytes of the longest prefix of `bytes` that is at most maxBytes long and does not
// end inside a double-byte character.
std::size_t wholeCharPrefix(std::string_view bytes, std::size_t maxBytes);

} // namespace cp932
