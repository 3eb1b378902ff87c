#include "citylink/sheets/xlsx/shared_strings.h"

#include "citylink/sheets/xlsx/cell_text.h"
#include "citylink/sheets/xlsx/xml_part.h"

namespace sheets::xlsx {

std::string StringItemText(pugi::xml_node item) {
    std::string text;
    for (pugi::xml_node child : item.children()) {
        std::string_view local = LocalName(child.name());
        if (local == "t") {
            text += child.text().get();
        } else if (local == "r") {
            if (pugi::xml_node t = ChildNamed(child, "t"))
                text += t.text().get();
        }
    }
    return UnescapeCellText(text);
}

std::vector<std::string> ReadSharedStrings(const std::string& xml) {
    pugi::xml_document doc;
    if (!LoadPart(doc, xml))
        Fail("ブックの共有文字列が正しい XML ではありません");
    std::vector<std::string> out;
    for (pugi::xml_node si : doc.document_element().children())
        if (si.type() == pugi::node_element && LocalName(si.name()) == "si")
            out.push_back(StringItemText(si));
    return out;
}

} // namespace sheets::xlsx
