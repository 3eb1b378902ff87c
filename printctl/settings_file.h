#pragma once
// The per-program settings file: one line of CP932 text, the printer name in double quotes and the
// top, bottom, left and right margins, separated by commas, ending in CR LF:
//   "Office Laser",12.5,10,1E-05,-3<CR><LF>
// Its form is shared with the Windows programs of the suite, which read and write the same file.
#include <optional>
#include <string>
#include <string_view>

namespace printctl::settings_file {

struct Contents {
    std::string printer; // UTF-8, as written (not trimmed)
    double top = 0;
    double bottom = 0;
    double left = 0;
    double right = 0;
    bool operator==(const Contents&) const = default;
};

// A margin in its shortest decimal form with up to 15 significant digits, "." as separator, the
// exponent form exactly where C's "%.15G" uses it: 0.0001, 1E-05, 123456789012345, 1E+15.
// Independent of the process's locale. nullopt for infinity and NaN, which have no such form.
std::optional<std::string> FormatNumber(double value);

// The whole file's bytes for these contents, or a reason why they cannot be written so that
// they read back the same (a name with a double quote or a line break, a name with a character
// CP932 lacks, a margin that is not a finite number).
struct Encoded {
    std::string bytes;
    std::string problem; // empty on success
};
Encoded Encode(const Contents& contents);

// The contents of a file's bytes; throws std::runtime_error with the reason when the first line
// is not one name and four numbers. The name may stand without quotes, and blanks around
// a field are ignored, as the Windows programs' reader does; anything after the fifth field is
// not read.
Contents Decode(std::string_view bytes);

} // namespace printctl::settings_file
