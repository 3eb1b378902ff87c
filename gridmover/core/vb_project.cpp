#include "gridmover/core/vb_project.h"

#include "foundation/cp932.h"
#include "foundation/utf8_path.h"
#include "gridmover/core/drive_path.h"
#include "gridmover/core/file_access.h"
#include "gridmover/core/mod_convert.h"
#include "gridmover/core/vb_text.h"

#include <array>
#include <cctype>

namespace gridmover {

namespace fs = std::filesystem;

namespace {

// "\" to "/", never touching a "\" that is the second byte of a double-byte character.
std::string slashes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = vbtext::CharLengthAt(text, i);
        if (n == 1 && text[i] == '\\') {
            out += '/';
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    return out;
}

fs::path nativePath(std::string_view entry, const fs::path& folder) {
    // The separators first, on the CP932 text that slashes() reads: in UTF-8 a character's last
    // byte can look like a CP932 lead byte and swallow the "\" after it ("共通\mod.bas").
    std::string path = slashes(vbtext::Trim(entry));
    // File names on this system are UTF-8; a name that is not valid CP932 is used as it is.
    if (auto utf8 = cp932::tryToUtf8(path)) {
        path = *utf8;
    }
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        std::string rest = path.substr(2);
        while (!rest.empty() && rest.front() == '/') {
            rest.erase(0, 1);
        }
        return DriveLetterPath(path[0], rest);
    }
    // The platform's separators (a no-op on Linux): the path is shown to the user as it is.
    if (path.rfind("//", 0) == 0) {
        // A network path: only meaningful where it is mounted as such.
        return utf8::toPath(path).make_preferred();
    }
    if (!path.empty() && path.front() == '/') {
        return utf8::toPath(path).make_preferred();
    }
    return (folder / utf8::toPath(path)).make_preferred();
}

// What the project reader needs of a designer file: its VB_Name, and the binary companion its
// designer section refers to (a property read from "<file><ext>":offset), as written there.
struct DesignerFacts {
    std::string name;
    std::string binaryReference; // empty when the designer refers to none
};

// opened is file already open, or closed to read file by its name; data receives its bytes (one
// buffer for all designers of a project).
DesignerFacts designerFacts(const fs::path& file, const std::string& binaryExt, OpenedFile& opened,
                            std::string& data) {
    DesignerFacts facts;
    try {
        if (opened.IsOpen()) {
            opened.ReadAllAndClose(file, data);
        } else {
            data = ReadFileBytes(file);
        }
        LineReader reader(data);
        bool designerSection = true;
        const std::string reference = binaryExt + "\":";
        while (!reader.AtEnd()) {
            std::string_view line = reader.Next();
            if (designerSection) {
                if (vbtext::EqualsNoCase(vbtext::RTrim(line), "End")) {
                    designerSection = false;
                } else if (!binaryExt.empty() && facts.binaryReference.empty()) {
                    // The file name runs from the opening quote to the extension.
                    std::size_t at = vbtext::Find(line, reference);
                    std::size_t open = at == vbtext::npos ? at : line.rfind('"', at);
                    if (open != std::string_view::npos) {
                        facts.binaryReference =
                            line.substr(open + 1, at + binaryExt.size() - open - 1);
                    }
                }
            }
            if (vbtext::StartsWithNoCase(line, "Attribute VB_Name = \"")) {
                std::string_view rest = line.substr(21);
                std::string name(rest.substr(0, rest.find('"')));
                facts.name = cp932::tryToUtf8(name).value_or(name);
                break;
            }
        }
    } catch (...) {
    }
    if (facts.name.empty()) {
        facts.name = utf8::fromPath(file.stem());
    }
    return facts;
}

// The binary companion's extension for each designer kind, as VB6 names it.
std::string companionExtension(const fs::path& file) {
    std::string ext = utf8::fromPath(file.extension());
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    static const std::array<std::pair<const char*, const char*>, 5> map{
        {{".frm", ".frx"}, {".ctl", ".ctx"}, {".pag", ".pgx"}, {".dob", ".dox"}, {".dsr", ".dsx"}}};
    for (auto [text, binary] : map) {
        if (ext == text) {
            return binary;
        }
    }
    return {};
}

} // namespace

fs::path ProjectEntryPath(std::string_view entry, const fs::path& folder) {
    return ResolvePathCaseInsensitive(nativePath(entry, folder));
}

VbProject ReadVbProject(const fs::path& vbp) {
    VbProject project;
    project.file = vbp;
    const fs::path folder = vbp.parent_path();
    std::string data = ReadFileBytes(vbp);
    LineReader reader(data);
    std::string designerBytes;
    static const std::array<const char*, 7> kinds{
        "Form", "UserControl", "PropertyPage", "UserDocument", "Designer", "Module", "Class"};
    while (!reader.AtEnd()) {
        std::string_view line = reader.Next();
        if (line.rfind("[", 0) == 0) {
            break; // the add-ins' sections follow; no component is listed there
        }
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            continue;
        }
        std::string kind(line.substr(0, eq));
        bool known = false;
        for (const char* k : kinds) {
            known = known || kind == k;
        }
        if (!known) {
            continue;
        }
        std::string_view value = line.substr(eq + 1);
        VbComponent c;
        c.kind = kind;
        if (kind == "Module" || kind == "Class") {
            // "Module=Name; file": the file follows the first ";".
            std::size_t semi = value.find(';');
            c.name = std::string(vbtext::Trim(value.substr(0, semi)));
            std::string_view file = semi == std::string_view::npos ? value : value.substr(semi + 1);
            fs::path p = ProjectEntryPath(file, folder);
            c.files.push_back(p);
            project.codeFiles.push_back(p);
        } else {
            // The designer file is read here anyway: a name that opens as written needs no
            // look-up of its own (ProjectEntryPath would find it as it is).
            fs::path p = nativePath(value, folder);
            OpenedFile opened;
            if (!opened.Open(p)) {
                p = ResolvePathCaseInsensitive(p);
            }
            c.files.push_back(p);
            const std::string ext = companionExtension(p);
            const DesignerFacts facts = designerFacts(p, ext, opened, designerBytes);
            c.name = facts.name;
            if (!ext.empty()) {
                // VB6 names the companion after the designer file. A designer renamed outside VB6
                // still refers to its old companion: that one is taken when it exists instead.
                fs::file_status status;
                fs::path companion =
                    ResolvePathCaseInsensitive(fs::path(p).replace_extension(ext), status);
                bool companionExists = fs::exists(status);
                if (!companionExists && !facts.binaryReference.empty()) {
                    fs::path referred = ResolvePathCaseInsensitive(
                        nativePath(facts.binaryReference, p.parent_path()), status);
                    if (fs::exists(status)) {
                        companion = referred;
                        companionExists = true;
                    }
                }
                // A companion the designer refers to is listed even when it is missing: the
                // designer then fails to convert, naming the file, instead of being left out
                // while the rest of the project moves to the new grid.
                if (companionExists || !facts.binaryReference.empty()) {
                    c.files.push_back(companion);
                }
            }
        }
        project.components.push_back(std::move(c));
    }
    return project;
}

} // namespace gridmover
