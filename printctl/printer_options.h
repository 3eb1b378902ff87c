#pragma once
// A printer's settable options as the properties dialog shows them: the choices the printing
// system reports for the printer, and the one that is this user's default now.
#include <string>
#include <utility>
#include <vector>

namespace printctl {

struct OptionChoice {
    std::string value; // as the printing system stores it ("iso_a4_210x297mm", "4", "600dpi")
    std::string label; // for people, in the user's language where the system has a translation
};

struct PrinterOption {
    std::string keyword; // "media", "sides", ...
    std::string label;
    std::vector<OptionChoice> choices;
    int current = -1; // index into choices; -1 when the default is none of them
};

// Option keyword and chosen value, one per option the user changed.
using OptionChanges = std::vector<std::pair<std::string, std::string>>;

} // namespace printctl
