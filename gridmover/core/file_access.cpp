#include "gridmover/core/file_access.h"

#include "foundation/file_bytes.h"
#include "foundation/utf8_path.h"
#include "gridmover/core/bounded_read.h"
#include "gridmover/core/keyed_collection.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace gridmover {

namespace fs = std::filesystem;

std::string ReadFileBytes(const fs::path& file) {
    const FileBytes bytes(file, kMaxFileBytes);
    switch (bytes.error()) {
    case FileBytes::Error::None:
        return std::string(bytes.bytes());
    case FileBytes::Error::NotFound:
    case FileBytes::Error::CannotOpen:
        throw std::runtime_error("cannot open " + utf8::fromPath(file));
    case FileBytes::Error::NotAFile:
        throw std::runtime_error(utf8::fromPath(file) + ": not a regular file");
    case FileBytes::Error::TooLarge:
        throw FileTooLarge(file);
    case FileBytes::Error::CannotRead:
        break;
    }
    throw std::runtime_error("cannot read " + utf8::fromPath(file));
}

bool OpenedFile::IsReadOnly() const {
    return readOnly_;
}

void WriteFileBytes(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw std::runtime_error("cannot write " + utf8::fromPath(file));
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + utf8::fromPath(file));
    }
}

bool IsReadOnlyFile(const fs::path& file) {
    auto st = fs::status(file);
    if (!fs::exists(st)) {
        throw fs::filesystem_error("file not found", file,
                                   std::make_error_code(std::errc::no_such_file_or_directory));
    }
    return IsReadOnlyStatus(st);
}

bool IsReadOnlyStatus(const fs::file_status& status) {
    constexpr auto writable =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & writable) == fs::perms::none;
}

fs::path ResolvePathCaseInsensitive(const fs::path& p, fs::file_status& status) {
    std::error_code ec;
    status = fs::status(p, ec);
    if (fs::exists(status) || p.empty()) {
        return p; // the usual case: the name as written exists
    }
    fs::path resolved = ResolvePathCaseInsensitive(p);
    if (resolved != p) {
        status = fs::status(resolved, ec);
    }
    return resolved;
}

fs::path ResolvePathCaseInsensitive(const fs::path& p) {
    std::error_code ec;
    if (fs::exists(p, ec) || p.empty()) {
        return p;
    }
    fs::path resolved = p.root_path();
    bool first = true;
    for (const auto& part : p.relative_path()) {
        fs::path next = (first && resolved.empty()) ? part : resolved / part;
        first = false;
        if (fs::exists(next, ec) || part == "." || part == "..") {
            resolved = next;
            continue;
        }
        const fs::path folder = resolved.empty() ? fs::path(".") : resolved;
        fs::path match;
        int matches = 0;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            auto name = it->path().filename();
            if (EqualsIgnoringAsciiCase(utf8::fromPath(name), utf8::fromPath(part))) {
                match = name;
                ++matches;
            }
        }
        if (matches != 1) {
            return p; // missing or ambiguous: leave the decision to whoever opens it
        }
        resolved = resolved.empty() ? match : resolved / match;
    }
    return resolved;
}

} // namespace gridmover
