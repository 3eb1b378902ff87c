// Worksheet parts shaped as other programs write them, edited directly.
#include "citylink/sheets/xlsx/sheet_editor.h"

#include <gtest/gtest.h>

#include <map>

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

// Each of these holds a place twice or by a name another reader takes differently: a written
// value would land on one element while a reader shows the other.
TEST(SheetEditor, RefusesReferencesThatAreNoPlainAddressOfTheirPlace) {
    for (const char* data : {
             R"(<row><c r="$A1"><v>1</v></c><c><v>2</v></c></row><row><c/></row>)",
             R"(<row r="1"><c r="A$1"/></row>)",
             R"(<row r="5"><c r="A7"/></row>)",
             R"(<row r="1"><c r="B1"/><c r="A1"/><c r="B1"/></row>)",
             R"(<row r="1"><c/><c r="A1"/></row>)",
             R"(<row r="2"><c r="A2"/></row><row r="2"><c r="B2"/></row>)",
             R"(<row r="1"/><row r="3"/><row r="2"/><row/>)",
         }) {
        std::string xml = kHead + "<sheetData>" + data + "</sheetData></worksheet>";
        try {
            SheetEditor editor(xml, "xl/worksheets/sheet1.xml");
            ADD_FAILURE() << "accepted " << data;
        } catch (const sheets::AutomationError& e) {
            EXPECT_TRUE(e.description().starts_with("ブックのシートの")) << e.description();
        }
    }
}

TEST(SheetEditor, WritesIntoRowsAndCellsWithoutReferencesReadBackAfterSaving) {
    SheetEditor editor(
        kHead +
            R"(<sheetData><row><c><v>1</v></c><c r="C1"><v>3</v></c><c><v>4</v></c></row><row/><row r="4"><c><v>7</v></c></row></sheetData></worksheet>)",
        "xl/worksheets/sheet1.xml");
    editor.write({1, 2}, {{"b1", "c1", "d1"}, {"b2", "", "d2"}});
    SheetEditor again(editor.serialize(), "again");
    const std::map<std::string, std::string> expected = {
        {"A1", "1"},  {"B1", "b1"}, {"C1", "c1"}, {"D1", "d1"}, {"E1", ""},
        {"B2", "b2"}, {"C2", ""},   {"D2", "d2"}, {"A4", "7"},  {"A3", ""}};
    for (const auto& [address, value] : expected)
        EXPECT_EQ(again.read(*sheets::ParseCell(address), {}), value) << address;
}

TEST(SheetEditor, RefusesAPartWhoseTreeWouldNotFitInMemory) {
    std::string rows;
    for (int i = 0; i < 2'000'000; ++i)
        rows += "<row/>"; // 12 MB of text, 128 MB as a tree
    try {
        SheetEditor(kHead + "<sheetData>" + rows + "</sheetData></worksheet>",
                    "xl/worksheets/sheet1.xml");
        ADD_FAILURE();
    } catch (const sheets::AutomationError& e) {
        EXPECT_TRUE(e.description().starts_with("ブックが大きすぎます: xl/worksheets/sheet1.xml"))
            << e.description();
    }
}

// Where the form ends: formatted cells without a value, rows without cells and merged areas all
// count, the dimension element (which any program may leave stale) does not.
TEST(SheetEditor, TheUsedAreaHoldsEveryRowCellAndMergedArea) {
    EXPECT_FALSE(SheetEditor(kHead + "<sheetData/></worksheet>", "s.xml").usedArea());
    SheetEditor editor(
        kHead +
            R"(<dimension ref="A1:XFD1048576"/><sheetData><row r="4"><c r="C4" s="1"/><c r="BC4"><v>1</v></c></row><row r="246" s="2"/></sheetData></worksheet>)",
        "s.xml");
    auto area = editor.usedArea();
    ASSERT_TRUE(area);
    EXPECT_EQ(sheets::RangeAddress(*area), "C4:BC246");
    SheetEditor merged(
        kHead +
            R"(<sheetData><row r="6"><c r="X6"/></row></sheetData><mergeCells count="1"><mergeCell ref="V247:BB248"/></mergeCells></worksheet>)",
        "s.xml");
    ASSERT_TRUE(merged.usedArea());
    EXPECT_EQ(sheets::RangeAddress(*merged.usedArea()), "V6:BB248");
}
