#pragma once
// Installation folders and Null-to-text, shared by citylink and printctl.
#include "foundation/platform.h"

#include <string>
#include <string_view>
#include <variant>

namespace Module1 {

// The data-folder rule as a pure function: with the marker present, the Windows folder followed by
// "KIRANODAT" and a separator; otherwise the program folder followed by "..", "dat" and a
// separator. The relative part is kept as text on purpose (installations rely on it).
// Example: (true, "C:\WINDOWS", _, '\\') -> "C:\WINDOWS\KIRANODAT\";
//          (false, _, "D:\APP\BIN", '\\') -> "D:\APP\BIN\..\dat\".
std::string DataFolderFor(bool markerExists, std::string_view windowsFolder,
                          std::string_view programFolder, char separator);

// The installation's data folder, always ending in the platform's separator.
std::string GetDataFolder(const Platform& platform = systemPlatform());
// The Windows folder, or "" when the platform cannot tell.
std::string GetWindowsFolder(const Platform& platform = systemPlatform());
// The part of text before the first NUL character; the whole text when it holds none.
std::string CutAtNul(std::string_view text);

// A cell-like value: Null, text, a whole number, a floating number or a boolean.
struct Null {};
using Variant = std::variant<Null, std::string, long long, double, bool>;
// "" for Null, otherwise the value as text (12 -> "12", 1.5 -> "1.5", true -> "True").
std::string NullToStr(const Variant& value);

} // namespace Module1
