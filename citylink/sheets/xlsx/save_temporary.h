#pragma once
// The names of the temporaries a save writes before the output gets its name:
// ".citylink-save-<pid>-<n>.tmp". The process id in the name lets a later save tell the
// temporaries of a killed process (to remove) from those of a save still running (to keep).
#include <string>
#include <string_view>

namespace sheets::xlsx {

// ".citylink-save-<pid>-<n>.tmp".
std::string SaveTemporaryName(unsigned long pid, unsigned n);

// The process id in a temporary's name: ".citylink-save-<pid>-<n>.tmp", or the same followed by
// ".XXXXXX" (the temporary an older version's zip library made beside it); 0 for other names.
unsigned long SaveTemporaryOwner(std::string_view name);

} // namespace sheets::xlsx
