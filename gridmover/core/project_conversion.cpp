#include "gridmover/core/project_conversion.h"

#include <map>
#include <set>
#include <system_error>

namespace gridmover {

namespace {

// The files already converted in this run, by their canonical path. A file must not become two
// pending pairs: each copy would be converted from the original, the last one committed would
// silently drop the other's changes, and a rollback could no longer restore the original.
class ConvertedFiles {
public:
    // True when file was not seen before (it is recorded now).
    bool add(const std::filesystem::path& file) { return seen_.insert(key(file)).second; }

private:
    // The file's canonical path. The files of a project share a few folders, so each folder is
    // made canonical once (a full canonicalisation looks up every component of the path, for
    // every file); only a file that is itself a symbolic link needs its own.
    std::filesystem::path key(const std::filesystem::path& file) {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path name = file.filename();
        if (name.empty() || name == "." || name == "..") {
            return canonical(file);
        }
        const fs::file_status self = fs::symlink_status(file, ec);
        if (fs::is_symlink(self) || (ec && self.type() != fs::file_type::not_found)) {
            return canonical(file);
        }
        const fs::path parent = file.has_parent_path() ? file.parent_path() : fs::path(".");
        auto at = folders_.find(parent);
        if (at == folders_.end()) {
            fs::path folder = fs::weakly_canonical(parent, ec);
            at = folders_.emplace(parent, ec ? fs::path() : folder).first;
        }
        if (at->second.empty()) {
            return canonical(file);
        }
        return at->second / name;
    }

    static std::filesystem::path canonical(const std::filesystem::path& file) {
        std::error_code ec;
        std::filesystem::path key = std::filesystem::weakly_canonical(file, ec);
        return ec ? file : key;
    }

    std::map<std::filesystem::path, std::filesystem::path> folders_;
    std::set<std::filesystem::path> seen_;
};

} // namespace

ProjectConversion
ConvertProjectFiles(modConvert& conv, const VbProject& project, std::int16_t from, std::int16_t to,
                    const std::function<void(const std::string& label, bool done)>& progress) {
    auto report = [&](const std::string& label, bool done) {
        if (progress) {
            progress(label, done);
        }
    };
    ProjectConversion out;
    ConvertedFiles converted;
    bool gridConverted = false;
    for (const auto& c : project.components) {
        if (c.files.size() < 2) {
            continue;
        }
        report(c.name, false);
        // Two designers with one binary file (a form copied outside VB6 that still refers to
        // the original's .frx), or a designer listed twice: their patches cannot both be kept.
        for (const auto& f : {c.files[0], c.files[1]}) {
            if (!converted.add(f)) {
                out.result = kFailed;
                out.failedFile = c.files[0];
                out.detail = f.string() + ": used by two components of the project";
                return out;
            }
        }
        conv.ResetDesignerLists();
        int r = conv.ConvertFormFile(c.files[0], c.files[1], from, to);
        if (r < 0) {
            out.result = r;
            out.failedFile = r == kBinaryReadOnly ? c.files[1] : c.files[0];
            out.detail = conv.LastError;
            return out;
        }
        if (r == kChanged) {
            gridConverted = true;
            report(c.name, true);
        }
    }
    if (!gridConverted) {
        out.result = kUnchanged;
        return out;
    }
    for (const auto& file : project.codeFiles) {
        if (!converted.add(file)) {
            continue; // listed twice: converted once already
        }
        report(file.string(), false);
        int r = conv.ConvertCodeFile(file, from, to);
        if (r < 0) {
            out.result = r;
            out.failedFile = file;
            out.detail = conv.LastError;
            return out;
        }
        if (r == kChanged) {
            report(file.string(), true);
        }
    }
    report(project.file.string(), false);
    int r = conv.ConvertProjectFile(project.file, from, to);
    if (r != kChanged) {
        out.result = r;
        if (r < 0) {
            out.failedFile = project.file;
            out.detail = conv.LastError;
        }
        return out;
    }
    report(project.file.string(), true);
    out.result = kChanged;
    return out;
}

} // namespace gridmover
