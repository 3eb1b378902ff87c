#include "citylink/app/output_guard.h"

#include "foundation/utf8_path.h"

#include <system_error>

namespace citylink {
namespace {

namespace fs = std::filesystem;

// The same file: one inode on one device, or, when either does not exist yet, one resolved path
// (a settings file the run creates later must not be created as the workbook).
bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec) && !ec)
        return true;
    std::error_code ea, eb;
    const fs::path ra = fs::weakly_canonical(fs::absolute(a, ea), ea);
    const fs::path rb = fs::weakly_canonical(fs::absolute(b, eb), eb);
    return !ea && !eb && ra == rb;
}

} // namespace

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
