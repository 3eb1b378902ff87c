#include "gridmover/core/source_kind.h"

#include "foundation/utf8_path.h"
#include "gridmover/core/mod_convert.h"
#include "gridmover/core/vb_text.h"

#include <array>
#include <cctype>
#include <cstring>

namespace gridmover {

namespace {

std::string lowerExtension(const std::filesystem::path& file) {
    std::string ext = utf8::fromPath(file.extension());
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext;
}

bool startsWithWord(std::string_view line, std::string_view word) {
    line = vbtext::LTrim(line);
    // The word must end there: "Begin " or "Begin" at the end of the line, never "BeginX".
    return vbtext::StartsWithNoCase(line, word) &&
           (line.size() == word.size() || line[word.size()] == ' ' || line[word.size()] == '\t');
}

bool isBlank(std::string_view line) {
    for (char c : line) {
        if (c != ' ' && c != '\t') {
            return false;
        }
    }
    return true;
}

// The first line that is not blank.
std::string_view firstLine(std::string_view bytes) {
    LineReader r(bytes);
    while (!r.AtEnd()) {
        std::string_view line = r.Next();
        if (!isBlank(line)) {
            return line;
        }
    }
    return {};
}

// The designer header: VERSION first, then (after the Object lines) a Begin line.
bool hasDesignerHeader(std::string_view bytes) {
    LineReader r(bytes);
    bool version = false;
    while (!r.AtEnd()) {
        std::string_view line = r.Next();
        if (isBlank(line)) {
            continue;
        }
        if (!version) {
            if (!startsWithWord(line, "VERSION")) {
                return false;
            }
            version = true;
        } else if (startsWithWord(line, "Begin")) {
            return true;
        }
    }
    return false;
}

bool hasNameAttribute(std::string_view bytes) {
    LineReader r(bytes);
    while (!r.AtEnd()) {
        if (vbtext::StartsWithNoCase(vbtext::LTrim(r.Next()), "Attribute VB_Name")) {
            return true;
        }
    }
    return false;
}

// A Type line among the project's entries (before the add-ins' sections).
bool hasProjectType(std::string_view bytes) {
    LineReader r(bytes);
    while (!r.AtEnd()) {
        std::string_view line = vbtext::LTrim(r.Next());
        if (line.rfind("[", 0) == 0) {
            return false;
        }
        if (vbtext::StartsWithNoCase(line, "Type=")) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<SourceKind> SourceKindOf(const std::filesystem::path& file) {
    static const std::array<std::pair<const char*, SourceKind>, 13> kinds{{
        {".vbp", SourceKind::Project},
        {".frm", SourceKind::Designer},
        {".ctl", SourceKind::Designer},
        {".pag", SourceKind::Designer},
        {".dob", SourceKind::Designer},
        {".dsr", SourceKind::ActiveX},
        {".bas", SourceKind::Module},
        {".cls", SourceKind::Class},
        {".frx", SourceKind::Binary},
        {".ctx", SourceKind::Binary},
        {".pgx", SourceKind::Binary},
        {".dox", SourceKind::Binary},
        {".dsx", SourceKind::Binary},
    }};
    const std::string ext = lowerExtension(file);
    for (auto [text, kind] : kinds) {
        if (ext == text) {
            return kind;
        }
    }
    return std::nullopt;
}

std::string_view SourceKindName(SourceKind kind) {
    switch (kind) {
    case SourceKind::Project:
        return "project file";
    case SourceKind::Designer:
        return "form, user control, property page or user document";
    case SourceKind::ActiveX:
        return "designer";
    case SourceKind::Module:
        return "module";
    case SourceKind::Class:
        return "class module";
    case SourceKind::Binary:
        return "binary property file";
    }
    return "source file";
}

std::string SourceTextMismatch(SourceKind kind, std::string_view bytes) {
    if (kind == SourceKind::Binary) {
        return {};
    }
    if (std::memchr(bytes.data(), '\0', bytes.size()) != nullptr) {
        return "holds binary data";
    }
    switch (kind) {
    case SourceKind::Project:
        return hasProjectType(bytes) ? std::string() : "no Type line";
    case SourceKind::Designer:
        if (!startsWithWord(firstLine(bytes), "VERSION")) {
            return "no VERSION header";
        }
        return hasDesignerHeader(bytes) ? std::string() : "no Begin line";
    case SourceKind::ActiveX:
        return hasDesignerHeader(bytes) || hasNameAttribute(bytes)
                   ? std::string()
                   : "neither a VERSION header with its Begin line nor an Attribute VB_Name";
    case SourceKind::Module:
        return hasNameAttribute(bytes) ? std::string() : "no Attribute VB_Name";
    case SourceKind::Class:
        return startsWithWord(firstLine(bytes), "VERSION") || hasNameAttribute(bytes)
                   ? std::string()
                   : "neither a VERSION header nor an Attribute VB_Name";
    case SourceKind::Binary:
        break;
    }
    return {};
}

} // namespace gridmover
