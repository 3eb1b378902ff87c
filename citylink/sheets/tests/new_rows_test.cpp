// Rows the sheet did not have are held compactly until the part is written out; the part, the
// values read back and the used area must be what the tree gives when every cell is a node at
// once. Each sheet below is written the same way twice, once each way, and compared.
#include "citylink/sheets/xlsx/sheet_editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using sheets::Block;
using sheets::CellRef;
using sheets::xlsx::SheetEditor;

namespace {

const std::string kNs = R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";

// Odd sheets: no sheet data at all; a prefixed namespace with rows out of order, comments and
// blank text between rows; column styles (some not plain numbers, one the Text format) and a
// formatted row; a shared formula below the written block, merged cells, an inline string and
// an extension list; a declaration and a comment around the root.
const std::vector<std::string> kSheets = {
    R"(<worksheet )" + kNs +
        R"(><dimension ref="A1"/><cols><col min="1" max="1" width="9"/></cols><pageMargins left="0.7"/></worksheet>)",
    R"(<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><x:sheetData><x:row r="20"><x:c r="B20"><x:v>1</x:v></x:c></x:row>
<!-- between --><x:row r="3"><x:c r="A3" t="inlineStr"><x:is><x:t>a</x:t></x:is></x:c></x:row> <x:row r="9" spans="2:3"><x:c r="C9"><x:v>2</x:v></x:c></x:row></x:sheetData></x:worksheet>)",
    R"(<worksheet )" + kNs +
        R"(><dimension ref="B2:C3"/><cols><col min="3" max="4" style="2"/><col min="5" max="5" style=" 3"/><col min="6" max="6" style="a&amp;&quot;&#9;b"/><col min="7" max="7" style="0"/></cols><sheetData><row r="2"><c r="B2" s="1"><v>5</v></c></row><row r="7" s="4" customFormat="1"/><row r="30"/></sheetData></worksheet>)",
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<!-- made by hand --><worksheet )" +
        kNs +
        R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t xml:space="preserve"> x </t></is></c><extLst/></row><row r="12"><c r="C12"><f t="shared" ref="C12:E12" si="0">A1+1</f><v>2</v></c><c r="D12"><f t="shared" si="0"/><v>3</v></c></row></sheetData><mergeCells count="1"><mergeCell ref="H18:I19"/></mergeCells><extLst><ext uri="x"/></extLst></worksheet><!-- after -->)",
};

// The writes of a run and more: single cells down a column, a block over new and existing rows,
// a second block over part of the first (clearing and overwriting), cells left of written ones,
// and rows before, between and after the sheet's own.
void writeAll(SheetEditor& e) {
    for (int row : {6, 10, 14})
        e.write({row, 3}, {{"ｲﾄｳ ﾚﾝ"}});
    e.write({5, 6}, {{"07", "", "ｱ", " lead", "a&b<c>\"d'", "\x01\x1f\t\r\n", "", "1.50"},
                     {"", "", "", "", "", "", "", ""},
                     {"-0", "1e3", "\xff\xfe bad", "_x0041_", "", "12", "x", "  "},
                     {"", "5", "", "", "", "", "", ""}});
    e.write({6, 7}, {{"", "9", "0"}, {"", "", ""}});
    e.write({6, 2}, {{"2019", "", "4"}});
    e.write({2, 4}, {{"z"}});
    e.write({25, 1}, {{"end", "", "0007"}});
    e.write({1, 10}, {{""}, {"after"}, {""}});
    e.write({40, 2}, {{"", ""}});
    e.write({12, 3}, {{"1"}});
}

} // namespace

TEST(NewRows, GiveTheSamePartValuesAndAreaAsCellsMadeNodesAtOnce) {
    const std::vector<bool> textFormats = {false, false, true, false, false};
    for (const std::string& xml : kSheets) {
        SheetEditor compact(xml, "sheet.xml");
        SheetEditor plain(xml, "sheet.xml");
        plain.holdNewRowsCompact(false);
        for (SheetEditor* e : {&compact, &plain}) {
            e->setTextFormats(&textFormats);
            writeAll(*e);
        }
        EXPECT_EQ(compact.serialize(), plain.serialize()) << xml;
        for (int row = 1; row <= 45; ++row)
            for (int col = 1; col <= 16; ++col)
                EXPECT_EQ(compact.read({row, col}, {}), plain.read({row, col}, {}))
                    << xml << " " << sheets::CellAddress({row, col});
        ASSERT_EQ(compact.usedArea().has_value(), plain.usedArea().has_value());
        EXPECT_EQ(sheets::RangeAddress(*compact.usedArea()),
                  sheets::RangeAddress(*plain.usedArea()));
        EXPECT_EQ(compact.droppedFormula(), plain.droppedFormula());
        EXPECT_EQ(compact.serializeForSave(), plain.serializeForSave()) << xml;
        // And the part reads back as written.
        SheetEditor again(compact.serializeForSave(), "again.xml");
        for (int row = 1; row <= 45; ++row)
            for (int col = 1; col <= 16; ++col)
                EXPECT_EQ(again.read({row, col}, {}), plain.read({row, col}, {}));
    }
}

// A refused write changes nothing either way.
TEST(NewRows, ARefusedWriteLeavesThemAsTheyWere) {
    const std::string xml = kSheets[3];
    SheetEditor compact(xml, "sheet.xml");
    SheetEditor plain(xml, "sheet.xml");
    plain.holdNewRowsCompact(false);
    for (SheetEditor* e : {&compact, &plain}) {
        e->write({20, 1}, {{"1", "2"}});
        EXPECT_THROW(e->write({17, 7}, {{"1", "2"}, {"3", "4"}}), sheets::AutomationError);
        EXPECT_THROW(e->write({20, 1}, {{"1", "2"}, {"3"}}), sheets::AutomationError);
    }
    EXPECT_EQ(compact.serialize(), plain.serialize());
}

// A single cell written by itself is the same write as a block of that one value.
TEST(NewRows, OneCellIsWrittenAsABlockOfOne) {
    for (const std::string& xml : kSheets) {
        for (bool compact : {true, false}) {
            SheetEditor single(xml, "sheet.xml");
            SheetEditor block(xml, "sheet.xml");
            single.holdNewRowsCompact(compact);
            block.holdNewRowsCompact(compact);
            for (auto [at, value] : std::vector<std::pair<CellRef, std::string>>{{{6, 3}, "ｲﾄｳ"},
                                                                                 {{6, 3}, ""},
                                                                                 {{6, 2}, "07"},
                                                                                 {{12, 3}, "1"},
                                                                                 {{1, 1}, "a b "},
                                                                                 {{30, 2}, ""},
                                                                                 {{9, 3}, "x"},
                                                                                 {{20, 2}, "2"}}) {
                single.writeCell(at, value);
                block.write(at, {{value}});
            }
            EXPECT_EQ(single.serializeForSave(), block.serializeForSave()) << xml;
            EXPECT_EQ(single.droppedFormula(), block.droppedFormula());
        }
    }
}
