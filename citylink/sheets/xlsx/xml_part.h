#pragma once
// The XML of a package part as every part editor of the engine handles it: parsed faithfully and
// within a memory bound, written back without reformatting, searched by local name whatever the
// namespace prefix. Also the engine's one way of refusing a workbook.
#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace sheets::xlsx {

// Throws AutomationError (kApplicationDefined) with the description: what the clerk's log shows
// for a workbook the engine cannot open, edit or save.
[[noreturn]] void Fail(const std::string& description);

// How the engine parses parts it may write back: keeps comments, processing instructions,
// whitespace text and attribute values exactly.
constexpr unsigned kFaithfulParse =
    (pugi::parse_full | pugi::parse_ws_pcdata) & ~(pugi::parse_wconv_attribute | pugi::parse_eol);
// Parses a part with kFaithfulParse; a declaration that names another encoding is changed to
// UTF-8, the encoding SerializeXml writes. False when the part is not well-formed; throws
// AutomationError "ブックが大きすぎます: ..." (naming `partName`) when its tree would take more
// than kMaxTreeBytes of memory.
bool LoadPart(pugi::xml_document& doc, const std::string& xml, std::string_view partName = {});
// The same, parsed in place: the tree points into `text` instead of a copy of it, so `text` must
// outlive the tree and is changed by the parse.
bool LoadPartInPlace(pugi::xml_document& doc, std::string& text, std::string_view partName);
// The XML tree as the part's bytes: UTF-8, no reformatting; `sizeHint` is the size expected.
std::string SerializeXml(const pugi::xml_document& doc, std::size_t sizeHint = 0);

// Pieces of a part written out in turn, for an editor that writes some of its content itself;
// together they give the bytes SerializeXml gives for the whole tree.
// The node (any type) as SerializeXml writes it.
void AppendNodeXml(std::string& out, pugi::xml_node node);
// An element's start tag with its attributes ("<row r=\"6\">"), its end tag ("</row>").
void AppendStartTag(std::string& out, pugi::xml_node element);
void AppendEndTag(std::string& out, pugi::xml_node element);
// Text escaped as SerializeXml escapes a text node's value, or an attribute's value.
void AppendEscapedText(std::string& out, std::string_view text);
void AppendEscapedAttribute(std::string& out, std::string_view value);

// What the tree of a part takes in memory at most, estimated from its markup.
std::size_t TreeBytes(std::string_view xml);
// A city form's largest sheet takes a few MB as a tree.
constexpr std::size_t kMaxTreeBytes = 96u << 20;

// The local name of an element ("x:c" -> "c").
std::string_view LocalName(const char* qualified);
// The namespace prefix of an element with its colon ("x:" for "x:worksheet"), "" for none: new
// elements of a part take the prefix of its root.
std::string NamespacePrefix(pugi::xml_node element);
// The first child element of that local name, or a null node.
pugi::xml_node ChildNamed(pugi::xml_node parent, std::string_view local);

// ASCII letters in lower case: part names and file extensions compare without letter case.
std::string LowerAscii(std::string_view s);

} // namespace sheets::xlsx
