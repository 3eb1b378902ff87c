#pragma once
// The conversion of a project's source files from one grid version (catalogue row) to another.
// Three converters, one per kind of file, each write their result into fresh temporary files and
// record the pairs (original, temporary); nothing touches an original until the caller commits
// all pairs at once (pending_files.h) or discards them.
// The rules themselves live in files of their own: logical_lines.h (reading and writing lines),
// object_lines.h, designer_rules.h, declaration_rules.h and property_record.h.
#include "gridmover/core/convert_result.h"
#include "gridmover/core/declaration_rules.h"
#include "gridmover/core/designer_rules.h"
#include "gridmover/core/logical_lines.h"
#include "gridmover/core/object_lines.h"
#include "gridmover/core/property_record.h"
#include "gridmover/core/source_kind.h"
#include "gridmover/core/temp_files.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gridmover {

class GridVersion;
class GridVersions;

// One GUID replaced in a binary property file (for the dry run's report).
struct BlobPatch {
    std::filesystem::path file; // the original binary file
    std::uint64_t offset;       // byte position of the 16 replaced bytes in the file
    std::string name;           // the GUID's role name, e.g. "CLSID_MsDgrid"
};

enum class PendingKind { Text, Binary };

// The converter's state for one migration run. Not thread-safe; one conversion at a time.
class modConvert {
public:
    // temp gives the temporary folder and file names; nullptr means the system's temporary folder.
    // versions is the catalogue whose rows the row arguments name; nullptr means Versions(),
    // loaded.
    explicit modConvert(TempFileSystem* temp = nullptr, const GridVersions* versions = nullptr);

    std::vector<std::string> GridNames;     // grid controls of the current designer file
    std::vector<std::string> DropDownNames; // drop-down controls of the current designer file
    std::vector<std::string> RawLines;      // physical lines of the last logical line, as read
    std::vector<std::filesystem::path> OriginalFiles; // files with a converted temporary copy
    std::vector<std::filesystem::path> TempFiles;     // their copies, position for position
    std::vector<PendingKind> PendingKinds;            // text or binary, position for position
    std::vector<BlobPatch> BlobPatches;               // every GUID replaced, for reports
    bool LineChanged = false;
    // Why the last converter returned -1 (a missing file, an unreadable record, ...), in words
    // for the log or the command line; empty after a converter that did not fail.
    std::string LastError;

    // Empties the two name lists; the run calls it before each designer file.
    void ResetDesignerLists();

    // Reads one logical line: physical lines joined where a line ends in " _" (not after a
    // comment start "Rem"/"'" on the first line). RawLines receives the physical lines.
    void ReadLogicalLine(LineReader& in, std::string& line);

    bool IsGridBeginLine(std::string_view line, std::int16_t from);
    void RecordControlName(std::string_view line, std::int16_t from);
    bool IsGridEventHandler(std::string_view line) const;
    bool RewriteEventSignature(std::string& line, std::int16_t from, std::int16_t to) const;

    // Patches the GUID record at offset in a binary property file: every GUID of version from in
    // the record's data is replaced by the GUID of the same name of version to. 1 patched,
    // 0 nothing found, -1 failure (file unreadable, or a record that does not fit in the file).
    ConvertResult PatchOleObjectBlob(const std::filesystem::path& binaryFile, std::uint32_t offset,
                                     std::int16_t from, std::int16_t to);

    // The converters: 1 changed, 0 nothing of the source version found, -1 failure, -2 the file is
    // read-only, -3 (designer files) the binary file is read-only. A file that is not of the
    // converter's kind by its extension and its text (source_kind.h), is no regular file or is
    // larger than kMaxFileBytes fails (-1, LastError naming it). On -2/-3, and on a failure
    // before a pair is listed, no temporary file is left behind; pairs listed before a later
    // failure stay listed for the caller to discard.
    ConvertResult ConvertProjectFile(const std::filesystem::path& path, std::int16_t from,
                                     std::int16_t to);
    ConvertResult ConvertFormFile(const std::filesystem::path& designer,
                                  const std::filesystem::path& binary, std::int16_t from,
                                  std::int16_t to);
    ConvertResult ConvertCodeFile(const std::filesystem::path& path, std::int16_t from,
                                  std::int16_t to);

    // The same conversions on bytes in memory (used by the file converters and the fuzz tests).
    // patchBlob receives each OleObjectBlob offset of a converted grid block and returns the
    // PatchOleObjectBlob code. Return 1/0; -1 on a grid block without its end line or a failed
    // patch. Throw on errors the file converters report as -1.
    ConvertResult ConvertProjectText(std::string_view in, std::string& out, std::int16_t from,
                                     std::int16_t to);
    ConvertResult ConvertFormText(std::string_view in, std::string& out, std::int16_t from,
                                  std::int16_t to,
                                  const std::function<int(std::uint32_t offset)>& patchBlob);
    ConvertResult ConvertCodeText(std::string_view in, std::string& out, std::int16_t from,
                                  std::int16_t to);
    // PatchOleObjectBlob on a file's bytes in memory; hits (if given) receive each replacement.
    ConvertResult PatchOleObjectBlobBytes(std::string& data, std::uint32_t offset,
                                          std::int16_t from, std::int16_t to,
                                          std::vector<std::pair<std::uint64_t, std::string>>* hits);

private:
    const GridVersion& row(std::int16_t r) const;
    std::optional<CreatedTempFile> newTempFile();
    // LastError for a temporary file that could not be created in folder.
    std::string noTempFileReason(const std::filesystem::path& folder);
    // The project and code converters: one text file into one temporary, by the given rewrite.
    using TextRewrite = ConvertResult (modConvert::*)(std::string_view, std::string&, std::int16_t,
                                                      std::int16_t);
    // kinds: the kinds of file (source_kind.h) the converter takes; any other fails it.
    ConvertResult convertTextFile(const std::filesystem::path& path, std::int16_t from,
                                  std::int16_t to, TextRewrite rewrite,
                                  std::initializer_list<SourceKind> kinds);

    TempFileSystem* temp_;
    const GridVersions* versions_;
    // The files' bytes, kept from one file to the next: a project has many files of like sizes,
    // and a fresh buffer for each costs more than converting its lines.
    struct Buffers {
        std::string textIn;
        std::string textOut;
        std::string binaryOriginal;
        std::string binaryData;
    } buffers_;
};

} // namespace gridmover
