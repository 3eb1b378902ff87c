#include "gridmover/core/project_conversion.h"

namespace gridmover {

ProjectConversion
ConvertProjectFiles(modConvert& conv, const VbProject& project, std::int16_t from, std::int16_t to,
                    const std::function<void(const std::string& label, bool done)>& progress) {
    auto report = [&](const std::string& label, bool done) {
        if (progress) {
            progress(label, done);
        }
    };
    ProjectConversion out;
    bool gridConverted = false;
    for (const auto& c : project.components) {
        if (c.files.size() < 2) {
            continue;
        }
        report(c.name, false);
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
