#include "gridmover/core/project_conversion.h"

#include "foundation/utf8_path.h"
#include "gridmover/core/pause_hook.h"
#include "gridmover/core/project_folder.h"

#include <stdexcept>
#include <unordered_set>

namespace gridmover {

namespace {

// The files of this run, by their real path (project_folder.h): a file must not become two
// pending pairs (each copy would be converted from the original, the last one committed would
// silently drop the other's changes, and a rollback could no longer restore the original), and a
// file outside the project's folder is converted only when the caller allowed it.
class RunFiles {
public:
    RunFiles(const VbProject& project, const std::vector<std::filesystem::path>& allowedOutside)
        : folder_(RealProjectFolder(project)), allowed_{} {
        for (const auto& f : allowedOutside) {
            allowed_.insert(f.native());
        }
    }

    // The path to convert file by: the real file when file is a link to it, so that the commit
    // replaces the file the link leads to instead of the link. Throws std::runtime_error, naming
    // the file, when it lies outside the project's folder and was not allowed. first tells
    // whether the file was not seen before in this run.
    std::filesystem::path add(const std::filesystem::path& file, bool& first) {
        bool isLink = false;
        std::filesystem::path real = real_.Of(file, &isLink);
        if (!IsInsideFolder(real, folder_) && allowed_.count(real.native()) == 0) {
            throw std::runtime_error(utf8::fromPath(real) + ": outside the project's folder");
        }
        first = seen_.insert(real.native()).second;
        return isLink ? real : file;
    }

private:
    RealPaths real_;
    std::filesystem::path folder_;
    // Paths as text: hashing a path's text is much cheaper than comparing paths component by
    // component, and a project has thousands of files.
    std::unordered_set<std::filesystem::path::string_type> allowed_;
    std::unordered_set<std::filesystem::path::string_type> seen_;
};

} // namespace

ProjectConversion
ConvertProjectFiles(modConvert& conv, const VbProject& project, std::int16_t from, std::int16_t to,
                    const std::function<void(const std::string& label, bool done)>& progress,
                    const std::vector<std::filesystem::path>& allowedOutside) {
    auto report = [&](const std::string& label, bool done) {
        if (progress) {
            progress(label, done);
        }
    };
    ProjectConversion out;
    RunFiles files(project, allowedOutside);
    auto refuse = [&](const std::filesystem::path& file, const std::string& why) {
        out.result = kFailed;
        out.failedFile = file;
        out.detail = why;
        return out;
    };
    bool gridConverted = false;
    for (const auto& c : project.components) {
        if (c.files.size() < 2) {
            continue;
        }
        report(c.name, false);
        // Two designers with one binary file (a form copied outside VB6 that still refers to
        // the original's .frx), or a designer listed twice: their patches cannot both be kept.
        std::filesystem::path designer;
        std::filesystem::path binary;
        try {
            for (int i = 0; i < 2; ++i) {
                bool first = false;
                (i == 0 ? designer : binary) = files.add(c.files[i], first);
                if (!first) {
                    return refuse(c.files[0], utf8::fromPath(c.files[i]) +
                                                  ": used by two components of the project");
                }
            }
        } catch (const std::exception& e) {
            return refuse(c.files[0], e.what());
        }
        conv.ResetDesignerLists();
        int r = conv.ConvertFormFile(designer, binary, from, to);
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
        PauseHook("converted");
    }
    if (!gridConverted) {
        out.result = kUnchanged;
        return out;
    }
    for (const auto& file : project.codeFiles) {
        std::filesystem::path path;
        try {
            bool first = false;
            path = files.add(file, first);
            if (!first) {
                continue; // listed twice: converted once already
            }
        } catch (const std::exception& e) {
            return refuse(file, e.what());
        }
        report(utf8::fromPath(file), false);
        int r = conv.ConvertCodeFile(path, from, to);
        if (r < 0) {
            out.result = r;
            out.failedFile = file;
            out.detail = conv.LastError;
            return out;
        }
        if (r == kChanged) {
            report(utf8::fromPath(file), true);
        }
        PauseHook("converted");
    }
    std::filesystem::path projectPath;
    try {
        bool first = false;
        projectPath = files.add(project.file, first);
    } catch (const std::exception& e) {
        return refuse(project.file, e.what());
    }
    report(utf8::fromPath(project.file), false);
    int r = conv.ConvertProjectFile(projectPath, from, to);
    if (r != kChanged) {
        out.result = r;
        if (r < 0) {
            out.failedFile = project.file;
            out.detail = conv.LastError;
        }
        return out;
    }
    report(utf8::fromPath(project.file), true);
    out.result = kChanged;
    return out;
}

} // namespace gridmover
