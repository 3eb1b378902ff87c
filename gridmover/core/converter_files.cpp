#include "gridmover/core/converter_files.h"

#include "foundation/utf8_path.h"

#include <stdexcept>
#include <system_error>

namespace gridmover {

namespace fs = std::filesystem;

UnlistedTemps::~UnlistedTemps() {
    for (const auto& p : paths_) {
        std::error_code ec;
        fs::remove(p, ec);
    }
}

SourceKind RequireExtension(const fs::path& file, std::initializer_list<SourceKind> kinds) {
    const auto kind = SourceKindOf(file);
    for (SourceKind k : kinds) {
        if (kind == k) {
            return k;
        }
    }
    std::string names;
    for (SourceKind k : kinds) {
        names += (names.empty() ? "" : " or ") + std::string(SourceKindName(k));
    }
    throw std::runtime_error(utf8::fromPath(file) + ": not a VB6 " + names + " (by its extension)");
}

void RequireText(const fs::path& file, SourceKind kind, std::string_view bytes) {
    std::string why = SourceTextMismatch(kind, bytes);
    if (!why.empty()) {
        throw std::runtime_error(utf8::fromPath(file) + ": not a VB6 " +
                                 std::string(SourceKindName(kind)) + " (" + why + ")");
    }
}

RequiredFile::RequiredFile(const fs::path& path) {
    if (opened_.Open(path)) {
        resolved_ = path;
        readOnly_ = opened_.IsReadOnly();
        return;
    }
    fs::file_status status;
    resolved_ = ResolvePathCaseInsensitive(path, status);
    if (!fs::exists(status)) {
        throw std::runtime_error(utf8::fromPath(resolved_) + ": file not found");
    }
    // A pipe or a device (also behind a link) is no source file: it could make the read wait
    // forever or never end.
    if (!fs::is_regular_file(status)) {
        throw std::runtime_error(utf8::fromPath(resolved_) + ": not a regular file");
    }
    readOnly_ = IsReadOnlyStatus(status);
}

void RequiredFile::read(std::string& into) {
    if (opened_.IsOpen()) {
        opened_.ReadAllAndClose(resolved_, into);
    } else {
        into = ReadFileBytes(resolved_);
    }
}

} // namespace gridmover
