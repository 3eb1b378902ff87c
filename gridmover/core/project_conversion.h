#pragma once
// The conversion of a whole project into pending pairs, in the migration's order: designer files
// that have a binary companion, then the code files, then the project file. Nothing is committed
// here; the caller commits (pending_files.h), shows a dry run (dry_run.h) or discards.
#include "gridmover/core/mod_convert.h"
#include "gridmover/core/vb_project.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace gridmover {

struct ProjectConversion {
    // 1 every file converted and the project uses the source grid; 0 no designer file holds a grid
    // of the source version, or the project file does not reference it; -1, -2, -3 a converter's
    // code for failedFile.
    int result = 0;
    std::filesystem::path failedFile;
    std::string detail; // on -1: the converter's reason (modConvert::LastError)
};

// progress(label, done): label is the component's name for designer files and the path for code
// files and the project file; called with done = false before and done = true after a file whose
// converter returned 1. Stops at the first failure or at "nothing to convert", leaving what was
// converted so far pending. A code file listed twice is converted once; a designer or binary file
// that two components share fails the run (-1), since only one copy of it could be kept.
// A file whose real path lies outside the project's folder fails the run (-1, naming it) unless
// it is one of allowedOutside (FilesOutsideProject's paths, as the user confirmed them). A file
// that is a symbolic link is converted where the link leads: the link stays a link.
ProjectConversion
ConvertProjectFiles(modConvert& conv, const VbProject& project, std::int16_t from, std::int16_t to,
                    const std::function<void(const std::string& label, bool done)>& progress = {},
                    const std::vector<std::filesystem::path>& allowedOutside = {});

} // namespace gridmover
