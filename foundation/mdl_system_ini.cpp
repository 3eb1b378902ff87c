#include "foundation/mdl_system_ini.h"

#include "foundation/cp932.h"
#include "foundation/file_bytes.h"
#include "foundation/file_io.h"
#include "foundation/profile_file.h"
#include "foundation/utf8_path.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace MdlSystemINI {
namespace {

// The whole file, or nullopt when it cannot be read. Anything that is not a regular file (a FIFO,
// a device) is refused unread rather than waited on.
std::optional<std::string> readFile(const fs::path& file) {
    FileBytes bytes(file, std::numeric_limits<std::uintmax_t>::max());
    if (bytes.error() != FileBytes::Error::None)
        return std::nullopt;
    return std::string(bytes.bytes());
}

// The checks of a write on `file`, then the new bytes from `edit` and the replacement. Returns
// PutIniString's result.
template <class Edit>
long rewrite(const fs::path& file, Edit edit) {
    // A link to the settings file stays a link: we replace the file it points to, also one that
    // does not exist yet (an installation links the settings in the program's folder to a
    // writable folder, and the first start creates them there).
    fs::path target = file;
    std::error_code ec;
    for (int depth = 0; fs::is_symlink(fs::symlink_status(target, ec)); ++depth) {
        fs::path next = fs::read_symlink(target, ec);
        if (ec || depth == 40) // 40: the kernel's own limit, so a loop of links ends
            return 0;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }

    std::error_code statError;
    const fs::file_status st = fs::status(target, statError);
    const bool exists = !statError && fs::exists(st);
    if (statError && statError != std::errc::no_such_file_or_directory)
        return 0;
    std::string oldBytes;
    if (exists) {
        // A read-only file stays as it is, as on Windows; a replacement alone would replace it.
        if (!fs::is_regular_file(st) || fileio::IsReadOnlyFile(target))
            return 0;
        auto bytes = readFile(target);
        if (!bytes)
            return 0;
        oldBytes = std::move(*bytes);
    }
    // A missing folder is a failure, never created: the temporary cannot be made in it.
    std::string newBytes = edit(oldBytes);
    if (exists && newBytes == oldBytes)
        return 1;
    return fileio::ReplaceFile(target, newBytes, {"ini-written", "ini-linked"}) ? 1 : 0;
}

struct Setting {
    std::string key, value; // CP932
};

std::vector<Setting> checkedSettings(std::string_view section, const std::string& sectionBytes,
                                     const std::vector<std::pair<std::string, std::string>>& in) {
    std::vector<Setting> out;
    out.reserve(in.size());
    for (const auto& [key, value] : in) {
        Setting s{cp932::fromUtf8(key), cp932::fromUtf8(value)};
        if (auto problem = profile_file::writeProblem(sectionBytes, s.key, s.value))
            throw std::invalid_argument("cannot write the setting " + std::string(key) + " of " +
                                        std::string(section) + ": " + *problem);
        out.push_back(std::move(s));
    }
    return out;
}

} // namespace

std::string GetIniString(const fs::path& file, std::string_view section, std::string_view key) {
    std::error_code ec;
    auto st = fs::status(file, ec);
    if (ec || !fs::exists(st) || fs::is_directory(st))
        return {};
    std::string sectionBytes = cp932::fromUtf8(section);
    std::string keyBytes = cp932::fromUtf8(key);
    auto bytes = readFile(file);
    if (!bytes)
        throw std::runtime_error("cannot read the settings file " + utf8::fromPath(file));
    return cp932::toUtf8(profile_file::getString(*bytes, sectionBytes, keyBytes));
}

long PutIniString(const fs::path& file, std::string_view section, std::string_view key,
                  std::string_view value) {
    return PutIniStrings(file, section, {{std::string(key), std::string(value)}});
}

long PutIniStrings(const fs::path& file, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& values) {
    const std::string sectionBytes = cp932::fromUtf8(section);
    const std::vector<Setting> settings = checkedSettings(section, sectionBytes, values);
    return rewrite(file, [&](const std::string& oldBytes) {
        std::string bytes = oldBytes;
        for (const Setting& s : settings)
            bytes = profile_file::setValue(bytes, sectionBytes, s.key, s.value);
        return bytes;
    });
}

} // namespace MdlSystemINI
