#pragma once
// UTF-8 text <-> std::filesystem::path. The suite keeps every text as UTF-8 in std::string; a
// path built from a plain std::string would be read in the locale's encoding (and on Windows in
// the ANSI code page), which garbles Japanese file names. Every conversion goes through these two.
#include <filesystem>
#include <string>
#include <string_view>

namespace utf8 {

// The path a UTF-8 text names.
std::filesystem::path toPath(std::string_view text);

// The path as UTF-8 text, for messages, the log and APIs that take UTF-8.
std::string fromPath(const std::filesystem::path& path);

} // namespace utf8
