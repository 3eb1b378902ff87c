// Worksheet parts shaped as other programs write them, edited directly.
#include "citylink/sheets/xlsx/sheet_editor.h"

#include <gtest/gtest.h>

using sheets::xlsx::SheetEditor;

namespace {

const std::string kHead =
    R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)";

std::string body(const std::string& xml) {
    auto start = xml.find("<sheetData");
    auto end = xml.find("</worksheet>");
    return xml.substr(start, end - start);
}

} // namespace

TEST(SheetEditor, PutsCellsOfARowInColumnOrderBeforeItsExtension) {
    SheetEditor editor(
        kHead +
            R"(<sheetData><row r="2"><c r="D2"><v>4</v></c><c r="B2"><v>2</v></c><extLst/></row></sheetData></worksheet>)",
        "sheet1.xml");
    editor.write({2, 3}, {{"3", "", "5"}});
    EXPECT_EQ(
        body(editor.serialize()),
        R"(<sheetData><row r="2"><c r="B2"><v>2</v></c><c r="C2"><v>3</v></c><c r="D2"/><c r="E2"><v>5</v></c><extLst/></row></sheetData>)");
}

TEST(SheetEditor, CreatesTheSheetDataWhereTheFormatWantsIt) {
    SheetEditor editor(
        kHead +
            R"(<dimension ref="A1"/><cols><col min="1" max="1" width="9"/></cols><pageMargins left="0.7"/></worksheet>)",
        "sheet1.xml");
    editor.write({3, 2}, {{"ｱ"}});
    std::string xml = editor.serialize();
    EXPECT_NE(
        xml.find(
            R"(</cols><sheetData><row r="3"><c r="B3" t="inlineStr"><is><t>ｱ</t></is></c></row></sheetData><pageMargins)"),
        std::string::npos)
        << xml;
    EXPECT_NE(xml.find(R"(<dimension ref="A1:B3"/>)"), std::string::npos) << xml;
}

TEST(SheetEditor, RefusesWhatIsNoWorksheet) {
    for (const char* xml :
         {"", "<worksheet", "<chartsheet/>",
          "<worksheet><sheetData><row r=\"0\"/></sheetData></worksheet>",
          "<worksheet><sheetData><row><c r=\"1A\"/></row></sheetData></worksheet>"})
        EXPECT_THROW(SheetEditor(xml, "x.xml"), sheets::AutomationError) << xml;
}
