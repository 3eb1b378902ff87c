#pragma once
// A workbook file as a zip package of parts: reads parts, resolves relationships, and writes a
// copy with some parts replaced or removed while every other entry is copied as it is stored
// (compressed bytes untouched).
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct zip;

namespace sheets::xlsx {

struct Relationship {
    std::string id;
    std::string type;   // the full type URI
    std::string target; // the resolved part name ("xl/worksheets/sheet1.xml"); empty if external
};

class XlsxPackage {
public:
    // What a package may hold: a city form needs a few MB, and a crafted package (a part that
    // inflates to gigabytes from a few hundred KB) must not exhaust memory or time.
    static constexpr unsigned long long kMaxFileSize = 64ull << 20;
    static constexpr unsigned long long kMaxPartSize = 64ull << 20;
    static constexpr unsigned long long kMaxTotalSize = 256ull << 20; // all parts inflated

    // Reads the whole file into memory and opens it as a zip package. Throws AutomationError
    // (kApplicationDefined) when the file cannot be read or is not a zip package, "ブックが大きす
    // ぎます: ..." when the file or its parts exceed the sizes above, and refuses as damaged a
    // package with two entries of one name (letter case ignored): which of them a reader takes
    // differs from reader to reader.
    explicit XlsxPackage(const std::filesystem::path& file);
    // The same for a package's bytes; `file` names it in messages.
    XlsxPackage(std::string bytes, const std::filesystem::path& file);
    ~XlsxPackage();
    XlsxPackage(const XlsxPackage&) = delete;
    XlsxPackage& operator=(const XlsxPackage&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Part names are entry names without a leading "/", compared without letter case.
    bool has(std::string_view part) const;
    // The part's bytes. Throws when the part is missing, encrypted, or damaged (its data inflates
    // to more or less than its entry says: inflating stops right after the size it says).
    std::string read(std::string_view part) const;
    // The relationships of a part ("" for the package's own), from its "_rels/*.rels" part;
    // empty when it has none. Throws when the relationships part is not well-formed.
    std::vector<Relationship> relationships(std::string_view part) const;
    // The entry name as stored in the archive for a part name, or "" when missing.
    std::string entryName(std::string_view part) const;

    // Writes the package to `out` with the given parts replaced (by part name) and removed,
    // atomically: a temporary file in the same folder renamed over `out` at the end. Entries
    // neither replaced nor removed keep their stored bytes and their order; replaced ones are
    // stored anew at the end. Throws AutomationError on failure and
    // leaves no temporary file behind.
    void saveAs(const std::filesystem::path& out,
                const std::map<std::string, std::string>& replaced,
                const std::set<std::string>& removed) const;
    // The bytes saveAs writes.
    std::string build(const std::map<std::string, std::string>& replaced,
                      const std::set<std::string>& removed) const;
    // Entry names as stored, in archive order.
    std::vector<std::string> entryNames() const;

    static std::string relsPartOf(std::string_view part);
    // A relationship target resolved against the part that holds the relationship.
    static std::string resolveTarget(std::string_view sourcePart, std::string_view target);

private:
    void open();

    std::filesystem::path path_;
    std::string bytes_;
    struct Discard {
        void operator()(zip* z) const;
    };
    std::unique_ptr<zip, Discard> zip_; // also when a constructor throws

    std::map<std::string, std::pair<std::string, unsigned long long>> entries_; // lower-case name
};

} // namespace sheets::xlsx
