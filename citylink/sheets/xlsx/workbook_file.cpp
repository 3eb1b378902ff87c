#include "citylink/sheets/xlsx/workbook_file.h"

#include "citylink/sheets/xlsx/cell_text.h"
#include "citylink/sheets/xlsx/shared_strings.h"
#include "citylink/sheets/xlsx/xml_part.h"
#include "foundation/utf8_path.h"

#include <algorithm>
#include <set>

namespace sheets::xlsx {

namespace {

bool typeIs(const std::string& type, std::string_view suffix) {
    return type.size() > suffix.size() && type.ends_with(suffix) &&
           type[type.size() - suffix.size() - 1] == '/';
}

std::string fileName(const std::filesystem::path& p) {
    return utf8::fromPath(p.filename());
}

// Which extension the engine opens, checked before the file is read, so that a .xls gets a
// message that says what it is.
void checkExtension(const std::filesystem::path& file) {
    std::string ext = LowerAscii(file.extension().string());
    if (ext == ".xlsx" || ext == ".xlsm")
        return;
    std::string prefix = "このエンジンでは開けないブックです: " + fileName(file);
    if (ext == ".xls")
        Fail(prefix + " (バイナリ形式の .xls です。.xlsx で保存し直してください)");
    if (ext == ".xlsb")
        Fail(prefix + " (バイナリ形式の .xlsb です。.xlsx で保存し直してください)");
    Fail(prefix + " (開けるのは .xlsx と .xlsm のファイルだけです)");
}

// The relationship id of a <sheet>: the attribute "id" in the relationships namespace, whatever
// its prefix.
std::string relationshipId(pugi::xml_node sheet) {
    for (pugi::xml_attribute a : sheet.attributes()) {
        std::string_view name = a.name();
        auto colon = name.find(':');
        if (colon != std::string_view::npos && name.substr(colon + 1) == "id")
            return a.value();
    }
    return {};
}

} // namespace

std::vector<bool> ReadTextFormats(const std::string& stylesXml) {
    pugi::xml_document doc;
    if (!LoadPart(doc, stylesXml))
        Fail("ブックのスタイルが正しい XML ではありません");
    pugi::xml_node root = doc.document_element();
    std::set<unsigned> textIds = {49}; // the built-in Text format "@"
    for (pugi::xml_node f : ChildNamed(root, "numFmts").children())
        if (LocalName(f.name()) == "numFmt" &&
            std::string_view(f.attribute("formatCode").value()) == "@")
            textIds.insert(f.attribute("numFmtId").as_uint());
    std::vector<bool> text;
    for (pugi::xml_node xf : ChildNamed(root, "cellXfs").children())
        if (LocalName(xf.name()) == "xf")
            text.push_back(textIds.count(xf.attribute("numFmtId").as_uint(0)) != 0);
    return text;
}

WorkbookFile::WorkbookFile(const std::filesystem::path& file)
    : package_((checkExtension(file), file)) {
    const std::string prefix = "このエンジンでは開けないブックです: " + fileName(file);
    for (const auto& rel : package_.relationships(""))
        if (typeIs(rel.type, "officeDocument") && !rel.target.empty())
            workbookPart_ = rel.target;
    if (workbookPart_.empty() || !package_.has(workbookPart_))
        Fail(prefix + " (ブックの部品がありません)");

    std::map<std::string, std::string> targets; // relationship id -> part
    for (const auto& rel : package_.relationships(workbookPart_)) {
        if (typeIs(rel.type, "worksheet"))
            targets[rel.id] = rel.target;
        else if (typeIs(rel.type, "calcChain"))
            calcChainPart_ = rel.target;
        else if (typeIs(rel.type, "sharedStrings"))
            sharedStringsPart_ = rel.target;
        else if (typeIs(rel.type, "styles"))
            stylesPart_ = rel.target;
    }

    // Kept for the save, which writes the workbook part anew (LoadPart parses a copy of it).
    workbookXml_ = package_.read(workbookPart_);
    pugi::xml_document doc;
    if (!LoadPart(doc, workbookXml_) || LocalName(doc.document_element().name()) != "workbook")
        Fail(prefix + " (ブックの部品が正しい XML ではありません)");
    for (pugi::xml_node sheet : ChildNamed(doc.document_element(), "sheets").children()) {
        if (LocalName(sheet.name()) != "sheet")
            continue;
        auto target = targets.find(relationshipId(sheet));
        if (target == targets.end())
            continue; // a chart sheet or a dialog sheet: not in the worksheet collection
        sheets_.push_back({sheet.attribute("name").value(), target->second});
    }
}

int WorkbookFile::find(std::string_view name) const {
    for (std::size_t i = 0; i < sheets_.size(); ++i)
        if (SameSheetName(sheets_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

SheetEditor& WorkbookFile::editor(int sheet) {
    auto it = editors_.find(sheet);
    if (it != editors_.end())
        return *it->second;
    if (!textFormats_) {
        textFormats_.emplace();
        if (!stylesPart_.empty() && package_.has(stylesPart_))
            *textFormats_ = ReadTextFormats(package_.read(stylesPart_));
    }
    const SheetEntry& entry = sheets_.at(static_cast<std::size_t>(sheet));
    auto made = std::make_unique<SheetEditor>(package_.read(entry.part), entry.part);
    made->setTextFormats(&*textFormats_);
    return *editors_.emplace(sheet, std::move(made)).first->second;
}

void WorkbookFile::write(int sheet, CellRef first, const Block& block) {
    editor(sheet).write(first, block);
}

void WorkbookFile::writeCell(int sheet, CellRef cell, std::string_view value) {
    editor(sheet).writeCell(cell, value);
}

std::string WorkbookFile::read(int sheet, CellRef cell) {
    if (!sharedStrings_) {
        sharedStrings_.emplace();
        if (!sharedStringsPart_.empty() && package_.has(sharedStringsPart_))
            *sharedStrings_ = ReadSharedStrings(package_.read(sharedStringsPart_));
    }
    return editor(sheet).read(cell, *sharedStrings_);
}

bool WorkbookFile::changed() const {
    return std::any_of(editors_.begin(), editors_.end(),
                       [](const auto& e) { return e.second->changed(); });
}

void WorkbookFile::saveAs(const std::filesystem::path& out) {
    std::map<std::string, std::string> replaced;
    std::set<std::string> removed;
    bool droppedFormula = false;
    for (const auto& [index, editor] : editors_) {
        if (!editor->changed())
            continue;
        replaced[package_.entryName(sheets_[static_cast<std::size_t>(index)].part)] =
            editor->serializeForSave();
        droppedFormula = droppedFormula || editor->droppedFormula();
    }

    if (!replaced.empty()) {
        // Formulas elsewhere may read the written cells: their stored results are stale.
        pugi::xml_document doc;
        LoadPart(doc, workbookXml_);
        pugi::xml_node root = doc.document_element();
        const std::string prefix = NamespacePrefix(root);
        pugi::xml_node calcPr = ChildNamed(root, "calcPr");
        if (!calcPr) {
            // calcPr follows these elements of a workbook and precedes all others.
            static const std::set<std::string_view> before = {
                "fileVersion",        "fileSharing",        "workbookPr",
                "workbookProtection", "bookViews",          "sheets",
                "functionGroups",     "externalReferences", "definedNames"};
            pugi::xml_node after;
            for (pugi::xml_node child : root.children())
                if (child.type() == pugi::node_element && before.count(LocalName(child.name())))
                    after = child;
            calcPr = after ? root.insert_child_after((prefix + "calcPr").c_str(), after)
                           : root.prepend_child((prefix + "calcPr").c_str());
        }
        if (!calcPr.attribute("fullCalcOnLoad"))
            calcPr.append_attribute("fullCalcOnLoad");
        calcPr.attribute("fullCalcOnLoad").set_value("1");
        replaced[package_.entryName(workbookPart_)] = SerializeXml(doc);
    }

    // The calculation chain lists the cells that hold formulas; one of them no longer does. It
    // is only a cache, so the whole part goes rather than being edited.
    if (droppedFormula && !calcChainPart_.empty() && package_.has(calcChainPart_)) {
        removed.insert(package_.entryName(calcChainPart_));

        std::string relsPart = XlsxPackage::relsPartOf(workbookPart_);
        std::string xml = package_.read(relsPart);
        pugi::xml_document rels;
        if (!LoadPart(rels, xml))
            Fail("ブックのリレーションシップが正しい XML ではありません");
        for (pugi::xml_node rel = rels.document_element().first_child(); rel;) {
            pugi::xml_node next = rel.next_sibling();
            if (LocalName(rel.name()) == "Relationship" &&
                LowerAscii(XlsxPackage::resolveTarget(
                    workbookPart_, rel.attribute("Target").value())) == LowerAscii(calcChainPart_))
                rels.document_element().remove_child(rel);
            rel = next;
        }
        replaced[package_.entryName(relsPart)] = SerializeXml(rels);

        if (package_.has("[Content_Types].xml")) {
            std::string typesXml = package_.read("[Content_Types].xml");
            pugi::xml_document types;
            if (!LoadPart(types, typesXml))
                Fail("ブックのコンテンツタイプが正しい XML ではありません");
            const std::string chainPartName = LowerAscii("/" + calcChainPart_);
            for (pugi::xml_node o = types.document_element().first_child(); o;) {
                pugi::xml_node next = o.next_sibling();
                if (LocalName(o.name()) == "Override" &&
                    LowerAscii(o.attribute("PartName").value()) == chainPartName)
                    types.document_element().remove_child(o);
                o = next;
            }
            replaced[package_.entryName("[Content_Types].xml")] = SerializeXml(types);
        }
    }
    package_.saveAs(out, replaced, removed);
}

} // namespace sheets::xlsx
