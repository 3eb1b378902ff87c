#pragma once
// The file plumbing of the converters: the originals they read (checked for their kind, found
// whatever their letter case) and the temporary files they write, none of which may be left
// behind unlisted on any way out of a converter.
#include "gridmover/core/file_access.h"
#include "gridmover/core/source_kind.h"
#include "gridmover/core/temp_files.h"

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace gridmover {

// Temporary files a converter created but has not yet listed as pairs: removed again unless
// listed, so that no way out of a converter leaves an unlisted temporary file behind.
class UnlistedTemps {
public:
    UnlistedTemps() = default;
    UnlistedTemps(const UnlistedTemps&) = delete;
    UnlistedTemps& operator=(const UnlistedTemps&) = delete;
    ~UnlistedTemps();
    void add(const std::filesystem::path& p) { paths_.push_back(p); }
    void listed() { paths_.clear(); }

private:
    std::vector<std::filesystem::path> paths_;
};

// A temporary file as the seam created it, written once through the file it came with open.
class TempOutput {
public:
    explicit TempOutput(CreatedTempFile file) : file_(std::move(file)) {}
    const std::filesystem::path& path() const { return file_.path; }
    void write(std::string_view bytes) { file_.file.WriteAllAndClose(file_.path, bytes); }

private:
    CreatedTempFile file_;
};

// The file's kind by its extension, when it is one of kinds; throws, naming the file, otherwise.
SourceKind RequireExtension(const std::filesystem::path& file,
                            std::initializer_list<SourceKind> kinds);
// Throws, naming the file, when its bytes do not read as its kind.
void RequireText(const std::filesystem::path& file, SourceKind kind, std::string_view bytes);

// A file the converter needs, resolved as the project names it: a missing one fails the
// conversion, named in the reason. In the usual case the name as written is a regular file,
// opened once for its read-only attribute and its bytes; any other goes the way by name.
class RequiredFile {
public:
    explicit RequiredFile(const std::filesystem::path& path);
    const std::filesystem::path& path() const { return resolved_; }
    bool readOnly() const { return readOnly_; }
    // The whole file into a buffer the caller keeps.
    void read(std::string& into);

private:
    OpenedFile opened_;
    std::filesystem::path resolved_;
    bool readOnly_ = false;
};

} // namespace gridmover
