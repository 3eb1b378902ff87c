#include "gridmover/core/temp_files.h"

#include "gridmover/core/run_folder.h"

#include <chrono>
#include <cstdio>
#include <system_error>

namespace gridmover {

std::string TempFileNameFor(std::string_view prefix, unsigned unique) {
    char number[16];
    // The platform uses only the low sixteen bits of the number.
    std::snprintf(number, sizeof number, "%04X", unique & 0xFFFFu);
    return std::string(prefix.substr(0, 3)) + number + ".TMP";
}

FolderTempFiles::FolderTempFiles(std::optional<std::filesystem::path> folder)
    : folder_(std::move(folder)) {
    // Start the search for a free number somewhere different each run, as the platform does
    // with its tick count, so that consecutive runs do not walk over the same taken names.
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    next_ = static_cast<unsigned>(ticks) & 0xFFFF;
}

std::optional<std::filesystem::path> FolderTempFiles::GetTempPath() {
    if (folder_) {
        return folder_;
    }
    if (!systemFolder_) {
        auto p = SystemTempFolder();
        if (!p) {
            return std::nullopt;
        }
        if (!swept_) {
            swept_ = true;
            RemoveStaleRunFolders(*p);
        }
        auto run = *p / RunFolderName(CurrentProcessId());
        if (!MakeOwnFolder(run)) {
            return std::nullopt;
        }
        runFolder_ = run;
        systemFolder_ = std::move(run);
    }
    return systemFolder_;
}

FolderTempFiles::~FolderTempFiles() {
    if (runFolder_) {
        std::error_code ec;
        std::filesystem::remove_all(*runFolder_, ec);
    }
}

std::optional<CreatedTempFile> TempFileSystem::CreateTempFile(const std::filesystem::path& folder,
                                                              std::string_view prefix) {
    auto name = GetTempFileName(folder, prefix, 0);
    if (!name) {
        return std::nullopt;
    }
    OutputFile file = OutputFile::OpenExisting(*name);
    if (!file.IsOpen()) {
        std::error_code ec;
        std::filesystem::remove(*name, ec);
        return std::nullopt;
    }
    return CreatedTempFile{*name, std::move(file)};
}

std::optional<std::filesystem::path>
FolderTempFiles::GetTempFileName(const std::filesystem::path& folder, std::string_view prefix,
                                 unsigned unique) {
    if (unique != 0) {
        return TempFileNamed(folder, prefix, unique);
    }
    auto created = CreateTempFile(folder, prefix);
    if (!created) {
        return std::nullopt;
    }
    created->file.Close();
    return created->path;
}

std::optional<CreatedTempFile> FolderTempFiles::CreateTempFile(const std::filesystem::path& folder,
                                                               std::string_view prefix) {
    // Sixteen-bit numbers, 0 excluded, each tried once.
    for (unsigned tries = 0; tries < 0xFFFF; ++tries) {
        next_ = (next_ % 0xFFFF) + 1;
        auto candidate = TempFileNamed(folder, prefix, next_);
        bool taken = false;
        OutputFile file = OutputFile::CreateNew(candidate, taken);
        if (file.IsOpen()) {
            return CreatedTempFile{std::move(candidate), std::move(file)};
        }
        if (!taken) {
            break; // folder missing or not writable: trying further names is futile
        }
    }
    // Look the system's folder up again next time: it may be the folder that is gone.
    systemFolder_.reset();
    return std::nullopt;
}

} // namespace gridmover
