#pragma once
// The A ("ANSI") functions of Windows answer in the system's code page (CP932 on a Japanese
// Windows); the suite's texts are UTF-8. One conversion for the platform files of this folder.
#include <string>
#include <string_view>

namespace win32 {

// Text in the system's ANSI code page as UTF-8; "" when it cannot be converted.
std::string utf8FromAnsi(std::string_view ansi);

} // namespace win32
