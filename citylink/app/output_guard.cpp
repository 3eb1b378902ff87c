#include "citylink/app/output_guard.h"

#include "citylink/app/file_identity.h"

#include "foundation/utf8_path.h"

#include <system_error>

namespace citylink {
namespace fs = std::filesystem;

std::optional<std::string> outputProblem(const fs::path& output, bool overwrite,
                                         const std::vector<GuardedFile>& guarded) {
    const std::string name = utf8::fromPath(output);
    for (const GuardedFile& file : guarded)
        if (!file.path.empty() && sameFile(output, file.path))
            return "--output は " + file.role +
                   " と同じファイルです。このファイルには書き込みません"
                   " / --output is the same file as " +
                   file.role + " and is never written: " + name;
    std::error_code ec;
    const fs::file_status link = fs::symlink_status(output, ec);
    if (!fs::exists(link))
        return std::nullopt;
    if (!overwrite)
        return "--output のファイルはすでにあります。置き換えるには --overwrite を指定してください"
               " / --output exists; give --overwrite to replace it: " +
               name;
    const fs::file_status target = fs::status(output, ec);
    if (fs::exists(target) && !fs::is_regular_file(target))
        return "--output は通常のファイルではありません / --output is not a regular file: " + name;
    return std::nullopt;
}

} // namespace citylink
