#pragma once
// Which kind of VB6 file a file is, by its extension, and whether its bytes read as that kind.
// The migration rewrites a file only when both agree: a project file may name anything (a
// system file, a picture, a file someone renamed), and the converters would otherwise rewrite
// its line ends and every line that happens to match.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace gridmover {

enum class SourceKind {
    Project,  // .vbp
    Designer, // .frm, .ctl, .pag, .dob: a designer section opened by VERSION and Begin
    ActiveX,  // .dsr: an ActiveX designer
    Module,   // .bas
    Class,    // .cls
    Binary,   // .frx, .ctx, .pgx, .dox, .dsx: a designer's binary companion
};

// The kind a file's extension (any letter case) names; nullopt for any other extension.
std::optional<SourceKind> SourceKindOf(const std::filesystem::path& file);

// The kind's name for messages ("form, user control, property page or user document", ...).
std::string_view SourceKindName(SourceKind kind);

// Empty when bytes read as a text file of kind: a designer starts with its VERSION header and
// has its Begin line; an ActiveX designer has that or its Attribute VB_Name; a module carries its
// Attribute VB_Name; a class its VERSION header or its Attribute VB_Name; a project file its
// Type line. No source file holds a NUL byte. Otherwise the reason, in words. Binary companions
// are not checked here (any bytes are a valid companion; only records that parse are patched).
std::string SourceTextMismatch(SourceKind kind, std::string_view bytes);

} // namespace gridmover
