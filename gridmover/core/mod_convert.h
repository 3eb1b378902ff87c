#pragma once
// The conversion of a project's source files from one grid version (catalogue row) to another.
// Three converters, one per kind of file, each write their result into fresh temporary files and
// record the pairs (original, temporary); nothing touches an original until the caller commits
// all pairs at once (pending_files.h) or discards them.
//
// Files are handled as bytes (CP932 in Japanese projects): a line that is not rewritten is written
// back byte for byte, also when it is not valid CP932. A line ends at LF; a CR right before it (or
// at the very end of the file) is part of the line end, so files with CR LF and files that lost
// their CRs both read correctly.
// Every output line ends in CR LF, as VB6 writes it, including a last line that had no line end.
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

// The marker line written before every rewritten code line.
inline constexpr std::string_view kCodeChangeMarker =
    "'*** Orvel Migration Utility Code Change ***";

// Reads physical lines from the bytes of a text file.
class LineReader {
public:
    explicit LineReader(std::string_view data) : data_(data) {}
    bool AtEnd() const { return pos_ >= data_.size(); }
    // The next physical line without its line end; empty at the end of the data.
    std::string_view Next();

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

// One GUID replaced in a binary property file (for the dry run's report).
struct BlobPatch {
    std::filesystem::path file; // the original binary file
    std::uint64_t offset;       // byte position of the 16 replaced bytes in the file
    std::string name;           // the GUID's role name, e.g. "CLSID_MsDgrid"
};

enum class PendingKind { Text, Binary };

// Result codes of the converters.
enum ConvertResult : int {
    kChanged = 1,
    kUnchanged = 0,
    kFailed = -1,
    kReadOnly = -2,       // the (designer, code or project) file is read-only
    kBinaryReadOnly = -3, // the designer file's binary companion is read-only
};

// Lines the converters recognise. Row arguments are catalogue rows (1..13) of Versions().
std::string Quote(std::string_view s);
std::string Brace(std::string_view s);
bool IsProjectObjectLine(std::string_view line, std::int16_t from);
std::string MakeProjectObjectLine(std::int16_t to);
bool IsFormObjectLine(std::string_view line, std::int16_t from);
std::string MakeFormObjectLine(std::int16_t to);
void ReplaceBeginClass(std::string& line, std::int16_t from, std::int16_t to);
// 0 no declaration of the source library, 1 "As <lib>.", 2 "As New <lib>." (comments give 0).
int FindGridDeclaration(std::string_view line, std::int16_t from);
void ReplaceGridDeclaration(std::string& line, std::int16_t from, std::int16_t to, int kind);
// Every declaration of the source library on the line rewritten to the target library.
void ReplaceAllGridDeclarations(std::string& line, std::int16_t from, std::int16_t to);
// The hexadecimal number after the last ":" of an OleObjectBlob line ("Form1.frx":057E -> 0x57E);
// 0 when the line has no ":". Throws std::invalid_argument when that text is not a hexadecimal
// number of at most eight digits.
std::uint32_t ParseFrxOffset(std::string_view line);
// True when the line ends a control block: its last six characters are three blanks and "End"
// (trailing blanks and tabs aside), or it is "End" indented with tabs.
bool IsBlockEndLine(std::string_view line);

// The converter's state for one migration run. Not thread-safe; one conversion at a time.
class modConvert {
public:
    // temp gives the temporary folder and file names; nullptr means the system's temporary folder.
    explicit modConvert(TempFileSystem* temp = nullptr);

    std::vector<std::string> GridNames;      // grid controls of the current designer file
    std::vector<std::string> DropDownNames;  // drop-down controls of the current designer file
    std::vector<std::string> GridEvents;     // handler suffixes of grid controls
    std::vector<std::string> DropDownEvents; // handler suffixes of drop-down controls
    std::vector<std::string> RawLines;       // physical lines of the last logical line, as read
    std::vector<std::filesystem::path> OriginalFiles; // files with a converted temporary copy
    std::vector<std::filesystem::path> TempFiles;     // their copies, position for position
    std::vector<PendingKind> PendingKinds;            // text or binary, position for position
    std::vector<BlobPatch> BlobPatches;               // every GUID replaced, for reports
    bool LineChanged = false;
    // Why the last converter returned -1 (a missing file, an unreadable record, ...), in words
    // for the log or the command line; empty after a converter that did not fail.
    std::string LastError;

    // Empties the four name and event lists; the run calls it before each designer file.
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
    int PatchOleObjectBlob(const std::filesystem::path& binaryFile, std::uint32_t offset,
                           std::int16_t from, std::int16_t to);

    // The converters: 1 changed, 0 nothing of the source version found, -1 failure, -2 the file is
    // read-only, -3 (designer files) the binary file is read-only. A file that is not of the
    // converter's kind by its extension and its text (source_kind.h), is no regular file or is
    // larger than kMaxFileBytes fails (-1, LastError naming it). On -2/-3, and on a failure
    // before a pair is listed, no temporary file is left behind; pairs listed before a later
    // failure stay listed for the caller to discard.
    int ConvertProjectFile(const std::filesystem::path& path, std::int16_t from, std::int16_t to);
    int ConvertFormFile(const std::filesystem::path& designer, const std::filesystem::path& binary,
                        std::int16_t from, std::int16_t to);
    int ConvertCodeFile(const std::filesystem::path& path, std::int16_t from, std::int16_t to);

    // The same conversions on bytes in memory (used by the file converters and the fuzz tests).
    // patchBlob receives each OleObjectBlob offset of a converted grid block and returns the
    // PatchOleObjectBlob code. Return 1/0; -1 on a grid block without its end line or a failed
    // patch. Throw on errors the file converters report as -1.
    int ConvertProjectText(std::string_view in, std::string& out, std::int16_t from,
                           std::int16_t to);
    int ConvertFormText(std::string_view in, std::string& out, std::int16_t from, std::int16_t to,
                        const std::function<int(std::uint32_t offset)>& patchBlob);
    int ConvertCodeText(std::string_view in, std::string& out, std::int16_t from, std::int16_t to);
    // PatchOleObjectBlob on a file's bytes in memory; hits (if given) receive each replacement.
    int PatchOleObjectBlobBytes(std::string& data, std::uint32_t offset, std::int16_t from,
                                std::int16_t to,
                                std::vector<std::pair<std::uint64_t, std::string>>* hits);

private:
    std::optional<CreatedTempFile> newTempFile();
    // LastError for a temporary file that could not be created in folder.
    std::string noTempFileReason(const std::filesystem::path& folder);
    // The project and code converters: one text file into one temporary, by the given rewrite.
    using TextRewrite = int (modConvert::*)(std::string_view, std::string&, std::int16_t,
                                            std::int16_t);
    // kinds: the kinds of file (source_kind.h) the converter takes; any other fails it.
    int convertTextFile(const std::filesystem::path& path, std::int16_t from, std::int16_t to,
                        TextRewrite rewrite, std::initializer_list<SourceKind> kinds);
    void writeRawLines(std::string& out) const;
    void writeChangeBlock(std::string& out) const;

    TempFileSystem* temp_;
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
