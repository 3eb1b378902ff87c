#pragma once
// The A ("ANSI") functions of Windows answer in the system's code page (CP932 on a Japanese
// Windows); the W functions in UTF-16; the suite's texts are UTF-8. The conversions for the
// platform files of the suite's win32 folders.
#include <string>
#include <string_view>

namespace win32 {

// Text in the system's ANSI code page as UTF-8; "" when it cannot be converted.
std::string utf8FromAnsi(std::string_view ansi);

// UTF-8 text in the system's ANSI code page, for the A functions; a character that code page
// lacks becomes its default character ("?"), as it would through the W function. "" for text
// that is not UTF-8.
std::string ansiFromUtf8(std::string_view utf8);

// UTF-8 <-> UTF-16, for the W functions; "" for input that does not convert.
std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);

} // namespace win32
