#pragma once
// What the batch tool's --output may name. The filled workbook is saved by renaming a new file
// over that name, so a wrong name replaces whatever is there: the run's own CSV, the workbook it
// reads, a settings file (which would then hold a zip). Those are refused whatever the flags say,
// compared by file identity (file_identity.h: a second name, a hard or symbolic link, "./x" and
// "x" are all the same file) and, for files that do not exist yet, by their resolved path. Any
// other existing file is replaced only when the caller allows it (--overwrite).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace citylink {

struct GuardedFile {
    std::string role; // how the message names it: "--csv", "札幌市連携.INI", ...
    std::filesystem::path path;
};

// nullopt when the filled workbook may be saved as `output`; otherwise the reason, a line of
// Japanese and English that names the file.
std::optional<std::string> outputProblem(const std::filesystem::path& output, bool overwrite,
                                         const std::vector<GuardedFile>& guarded);

} // namespace citylink
