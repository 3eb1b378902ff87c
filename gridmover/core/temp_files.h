#pragma once
// Where the converters put their temporary copies, with the naming rule the platform's temporary
// file function has: "<first three characters of prefix><hex unique number>.TMP" in a folder.
#include "gridmover/core/output_file.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace gridmover {

// A temporary file just created for writing: its name and the file, open, which the caller owns.
struct CreatedTempFile {
    std::filesystem::path path;
    OutputFile file;
};

class TempFileSystem {
public:
    virtual ~TempFileSystem() = default;
    // The folder for temporary files; nullopt when there is none.
    virtual std::optional<std::filesystem::path> GetTempPath() = 0;
    // A file name in folder: at most the first three characters of prefix, the unique number in
    // upper-case hexadecimal (at least four digits) and ".TMP". unique 0 picks a number whose
    // name is free and creates that empty file (so that no one else takes it); any other number
    // only forms the name. nullopt when no file could be created.
    virtual std::optional<std::filesystem::path>
    GetTempFileName(const std::filesystem::path& folder, std::string_view prefix,
                    unsigned unique) = 0;
    // GetTempFileName with unique 0, the file handed back open for writing, so that the caller
    // writes into the file it was given instead of looking the name up again. This default opens
    // the created name; implementations that create the file themselves keep it open.
    virtual std::optional<CreatedTempFile> CreateTempFile(const std::filesystem::path& folder,
                                                          std::string_view prefix);
};

// The implementation over the real file system. With no folder given, the run's own folder in
// the system's temporary folder (SystemTempFolder; run_folder.h), created on first use after
// the run folders of processes that are gone have been removed, and removed with this object;
// tests give a scratch folder, used as it is. The folder is looked up once and then remembered
// until a file cannot be created in it: a migration asks for it before every file, and a folder
// that went away meanwhile still shows, since creating the file then fails.
class FolderTempFiles : public TempFileSystem {
public:
    explicit FolderTempFiles(std::optional<std::filesystem::path> folder = std::nullopt);
    ~FolderTempFiles() override;
    FolderTempFiles(const FolderTempFiles&) = delete;
    FolderTempFiles& operator=(const FolderTempFiles&) = delete;
    std::optional<std::filesystem::path> GetTempPath() override;
    std::optional<std::filesystem::path> GetTempFileName(const std::filesystem::path& folder,
                                                         std::string_view prefix,
                                                         unsigned unique) override;
    std::optional<CreatedTempFile> CreateTempFile(const std::filesystem::path& folder,
                                                  std::string_view prefix) override;

private:
    std::optional<std::filesystem::path> folder_;
    std::optional<std::filesystem::path> systemFolder_; // the run folder last made
    std::optional<std::filesystem::path> runFolder_;    // the run folder to remove at the end
    bool swept_ = false; // stale run folders are looked for once per run
    unsigned next_;
};

// The name part of the rule: prefix cut to three characters, hex number, ".TMP".
std::string TempFileNameFor(std::string_view prefix, unsigned unique);

// Platform calls (platform/<os>/temp_names_<os>.cpp).
// The system's temporary folder: $TMPDIR, else /tmp; on Windows GetTempPathA's. nullopt when
// there is none.
std::optional<std::filesystem::path> SystemTempFolder();
// The path of temporary file number unique (not 0) in folder, formed by the platform's own
// function where it has one (GetTempFileNameA), else by TempFileNameFor.
std::filesystem::path TempFileNamed(const std::filesystem::path& folder, std::string_view prefix,
                                    unsigned unique);

} // namespace gridmover
