#include "citylink/sheets/xlsx/xml_part.h"

#include "citylink/sheets/automation.h"

namespace sheets::xlsx {

void Fail(const std::string& description) {
    throw AutomationError(description, errors::kApplicationDefined);
}

namespace {

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};

// Appends to a string of the caller's.
struct AppendWriter : pugi::xml_writer {
    explicit AppendWriter(std::string& out) : out(out) {}
    std::string& out;
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};

constexpr unsigned kSaveFormat = pugi::format_raw | pugi::format_no_declaration;

// The escaping of pugixml's writer: "&", "<", the quote in attributes, ">" in text, and control
// characters as "&#NN;" (in text all but tab, line feed and carriage return).
void appendEscaped(std::string& out, std::string_view s, bool attribute) {
    auto special = [attribute](unsigned char c) {
        if (c < 32)
            return attribute || (c != '\t' && c != '\n' && c != '\r');
        return c == '&' || c == '<' || (attribute ? c == '"' : c == '>');
    };
    std::size_t run = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (!special(c))
            continue;
        out.append(s.data() + run, i - run);
        run = i + 1;
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default: {
            const char code[] = {'&', '#', static_cast<char>('0' + c / 10),
                                 static_cast<char>('0' + c % 10), ';'};
            out.append(code, sizeof code);
        }
        }
    }
    out.append(s.data() + run, s.size() - run);
}

bool loadPart(pugi::xml_document& doc, std::string_view xml, std::string* inPlace,
              std::string_view partName) {
    // A part within the size limits can still hold millions of tiny elements, each a node of
    // its own in memory: such a part is refused before it is parsed.
    if (std::size_t bytes = TreeBytes(xml); bytes > kMaxTreeBytes)
        Fail("ブックが大きすぎます: " + std::string(partName.empty() ? "部品" : partName) +
             " の読み込みに " + std::to_string(bytes >> 20) + " MB 必要です、上限は " +
             std::to_string(kMaxTreeBytes >> 20) + " MB");
    bool parsed = inPlace
                      ? static_cast<bool>(doc.load_buffer_inplace(inPlace->data(), inPlace->size(),
                                                                  kFaithfulParse))
                      : static_cast<bool>(doc.load_buffer(xml.data(), xml.size(), kFaithfulParse));
    if (!parsed)
        return false;
    // The tree is written out as UTF-8 whatever the part was stored in.
    pugi::xml_node first = doc.first_child();
    if (first.type() == pugi::node_declaration && first.attribute("encoding"))
        first.attribute("encoding").set_value("UTF-8");
    return true;
}

} // namespace

bool LoadPart(pugi::xml_document& doc, const std::string& xml, std::string_view partName) {
    return loadPart(doc, xml, nullptr, partName);
}

bool LoadPartInPlace(pugi::xml_document& doc, std::string& text, std::string_view partName) {
    return loadPart(doc, text, &text, partName);
}

std::string SerializeXml(const pugi::xml_document& doc, std::size_t sizeHint) {
    StringWriter writer;
    // Room for the text as it was read and a little more: a string that grows by doubling would
    // hold the old and the new buffer at once, three times the part at the peak.
    writer.out.reserve(sizeHint + sizeHint / 16);
    doc.save(writer, "", kSaveFormat, pugi::encoding_utf8);
    return std::move(writer.out);
}

void AppendNodeXml(std::string& out, pugi::xml_node node) {
    AppendWriter writer(out);
    node.print(writer, "", kSaveFormat, pugi::encoding_utf8);
}

void AppendStartTag(std::string& out, pugi::xml_node element) {
    // The writer's own start tag, taken from a copy of the element that holds one character of
    // text: whatever the attributes hold, they come out escaped exactly as in SerializeXml.
    pugi::xml_document scratch;
    pugi::xml_node copy = scratch.append_child(element.name());
    for (pugi::xml_attribute a : element.attributes())
        copy.append_attribute(a.name()).set_value(a.value());
    copy.append_child(pugi::node_pcdata).set_value("x");
    std::string printed;
    AppendNodeXml(printed, copy);
    const std::size_t tail = 1 + std::string_view(element.name()).size() + 3; // "x</name>"
    out.append(printed, 0, printed.size() - tail);
}

void AppendEndTag(std::string& out, pugi::xml_node element) {
    out += "</";
    out += element.name();
    out += '>';
}

void AppendEscapedText(std::string& out, std::string_view text) {
    appendEscaped(out, text, false);
}

void AppendEscapedAttribute(std::string& out, std::string_view value) {
    appendEscaped(out, value, true);
}

std::size_t TreeBytes(std::string_view xml) {
    // The parser keeps a copy of the text, a node (64 bytes) per element and per text between
    // tags, and an attribute (40 bytes) per "=" (one in a text counts too: an upper bound).
    std::size_t nodes = 0;
    std::size_t attributes = 0;
    char previous = '>';
    for (std::size_t i = 0; i < xml.size(); ++i) {
        char c = xml[i];
        if (c == '<') {
            nodes += (i + 1 < xml.size() && xml[i + 1] != '/') + (previous != '>');
        } else if (c == '=') {
            ++attributes;
        }
        previous = c;
    }
    return xml.size() + nodes * 64 + attributes * 40;
}

std::string_view LocalName(const char* qualified) {
    std::string_view name(qualified);
    auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string NamespacePrefix(pugi::xml_node element) {
    std::string_view name = element.name();
    auto colon = name.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

pugi::xml_node ChildNamed(pugi::xml_node parent, std::string_view local) {
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && LocalName(child.name()) == local)
            return child;
    return {};
}

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

} // namespace sheets::xlsx
