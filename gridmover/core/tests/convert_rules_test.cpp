// The line rules of the conversion, one group per kind of line.
#include "gridmover/core/grid_version.h"
#include "gridmover/core/mod_convert.h"

#include "foundation/cp932.h"

#include <gtest/gtest.h>

#include <array>

using namespace gridmover;

namespace {

std::string sj(const char* utf8) {
    return cp932::fromUtf8(utf8);
}

class Rules : public ::testing::Test {
protected:
    void SetUp() override { LoadGridVersions(); }
    std::string lib12() const { return Versions().Item(12)->LIBID; }
    modConvert conv;

    // The logical lines of text, with the RawLines of each.
    std::vector<std::pair<std::string, std::vector<std::string>>> logical(std::string_view text) {
        LineReader in(text);
        std::vector<std::pair<std::string, std::vector<std::string>>> out;
        std::string line;
        while (!in.AtEnd()) {
            conv.ReadLogicalLine(in, line);
            out.emplace_back(line, conv.RawLines);
        }
        return out;
    }
    std::string code(std::string_view in, std::int16_t from = 1, std::int16_t to = 12) {
        std::string out;
        conv.ConvertCodeText(in, out, from, to);
        return out;
    }
};

} // namespace

TEST_F(Rules, LogicalLinesJoinContinuationsButNotComments) {
    auto lines = logical("Private Sub A( _\r\n    ByVal x As Long,   _\n  y)\r\n"
                         "' comment _\r\nnext\r\nRem also _\r\nlast _");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].first, "Private Sub A( ByVal x As Long, y)");
    EXPECT_EQ(lines[0].second,
              (std::vector<std::string>{"Private Sub A( _", "    ByVal x As Long,   _", "  y)"}));
    EXPECT_EQ(lines[1].first, "' comment _");
    EXPECT_EQ(lines[2].first, "next");
    EXPECT_EQ(lines[3].first, "Rem also _");
    // A continuation on the very last line continues nothing.
    EXPECT_EQ(lines[4].first, "last _");
    // "rem" in lower case is not the comment test of the first line.
    EXPECT_EQ(logical("rem x _\r\ny\r\n")[0].first, "rem x y");
}

TEST_F(Rules, ADoubleByteCharacterEndingInUnderscoreIsNoContinuation) {
    // "ダ" is 83 5F: its second byte is "_".
    auto lines = logical(sj("Label1.Caption = x ' データ\r\nDim a As MSDBGrid.Column\r\n"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].first, "Dim a As MSDBGrid.Column");
}

TEST_F(Rules, ObjectLinesMatchTheSourceLibidExactly) {
    EXPECT_TRUE(IsProjectObjectLine(
        "Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX", 1));
    EXPECT_TRUE(IsProjectObjectLine("object={00028C01-0000-0000-0000-000000000046}#2.0#0; x", 1));
    EXPECT_FALSE(IsProjectObjectLine("Object={00028c01-0000-0000-0000-000000000046}#1.0#0; x", 1));
    EXPECT_FALSE(IsProjectObjectLine("Object={00028C01", 1));
    EXPECT_EQ(MakeProjectObjectLine(12), "Object={" + lib12() + "}#8.0#0; LTB8.OCX");
    EXPECT_TRUE(IsFormObjectLine(
        "Object = \"{00028C01-0000-0000-0000-000000000046}#1.0#0\"; \"DBGRID32.OCX\"", 1));
    EXPECT_FALSE(IsFormObjectLine("Object=\"{00028C01-0000-0000-0000-000000000046}#1.0#0\"", 1));
    EXPECT_EQ(MakeFormObjectLine(12), "Object = \"{" + lib12() + "}#8.0#0\"; \"LTB8.OCX\"");
    EXPECT_EQ(MakeFormObjectLine(1),
              "Object = \"{00028C01-0000-0000-0000-000000000046}#1.0#0\"; \"DBGRID32.OCX\"");
}

TEST_F(Rules, BeginLinesRecordGridsAndDropDowns) {
    EXPECT_FALSE(conv.IsGridBeginLine("   Begin VB.Label Label1 ", 1));
    // Only a block start counts, not a property value that mentions one.
    EXPECT_FALSE(conv.IsGridBeginLine("      Text = \"Begin MSDBGrid.DBGrid x\"", 1));
    EXPECT_FALSE(conv.IsGridBeginLine("   Begin MSDBGrid.DBGridX x", 1));
    EXPECT_TRUE(conv.IsGridBeginLine("   Begin MSDBGrid.DBGrid grdDataGrid ", 1));
    std::string line = "   begin msdbgrid.dbgrid DBGrid2";
    EXPECT_TRUE(conv.IsGridBeginLine(line, 1));
    ReplaceBeginClass(line, 1, 12);
    EXPECT_EQ(line, "   begin Lumatab80.LTab DBGrid2");
    EXPECT_EQ(conv.GridNames, (std::vector<std::string>{"grdDataGrid", "DBGrid2"}));

    // "Lumatab60.LTab" is the start of "Lumatab60.LTabDropDown": a drop-down is not a grid.
    conv.ResetDesignerLists();
    std::string dd = "      Begin Lumatab60.LTabDropDown LTabDD1";
    EXPECT_TRUE(conv.IsGridBeginLine(dd, 7));
    ReplaceBeginClass(dd, 7, 13);
    EXPECT_EQ(dd, "      Begin LumatabOle80.LTabDropDown LTabDD1");
    std::string grid = "   Begin Lumatab60.LTab LTab1";
    EXPECT_TRUE(conv.IsGridBeginLine(grid, 7));
    ReplaceBeginClass(grid, 7, 13);
    EXPECT_EQ(grid, "   Begin LumatabOle80.LTab LTab1");
    EXPECT_EQ(conv.GridNames, std::vector<std::string>{"LTab1"});
    EXPECT_EQ(conv.DropDownNames, std::vector<std::string>{"LTabDD1"});
    EXPECT_TRUE(IsBlockEndLine("   End"));
    EXPECT_TRUE(IsBlockEndLine("      end"));
    EXPECT_FALSE(IsBlockEndLine("  End"));
    EXPECT_FALSE(IsBlockEndLine("   EndProperty"));
}

TEST_F(Rules, BeginAndEndLinesOfHandEditedDesignerFiles) {
    // Tabs before or between the words, trailing blanks and tabs, doubled blanks: the block is
    // found and the name is the word after the class.
    const std::pair<const char*, const char*> lines[] = {
        {"\tbegin msdbgrid.dbgrid G1", "\tbegin Lumatab80.LTab G1"},
        {"\t\tBegin\tMSDBGrid.DBGrid\tG1\t", "\t\tBegin\tLumatab80.LTab\tG1\t"},
        {"   Begin MSDBGrid.DBGrid  G1  ", "   Begin Lumatab80.LTab  G1  "},
        {" \t BEGIN MSDBGRID.DBGRID G1 ", " \t BEGIN Lumatab80.LTab G1 "}};
    for (auto [line, expected] : lines) {
        conv.ResetDesignerLists();
        EXPECT_TRUE(conv.IsGridBeginLine(line, 1)) << line;
        EXPECT_EQ(conv.GridNames, std::vector<std::string>{"G1"}) << line;
        std::string replaced = line;
        ReplaceBeginClass(replaced, 1, 12);
        EXPECT_EQ(replaced, expected);
    }
    conv.ResetDesignerLists();
    EXPECT_TRUE(conv.IsGridBeginLine("\tBegin Lumatab60.LTabDropDown\tDD1 ", 7));
    EXPECT_EQ(conv.DropDownNames, std::vector<std::string>{"DD1"});
    EXPECT_TRUE(conv.GridNames.empty());
    EXPECT_FALSE(conv.IsGridBeginLine("\tBeginProperty MSDBGrid.DBGrid x", 1));

    EXPECT_TRUE(IsBlockEndLine("\tEnd"));
    EXPECT_TRUE(IsBlockEndLine("\t\tend\t"));
    EXPECT_TRUE(IsBlockEndLine("      End  "));
    EXPECT_FALSE(IsBlockEndLine("End"));
    EXPECT_FALSE(IsBlockEndLine("\tEndProperty"));
    EXPECT_FALSE(IsBlockEndLine("\tx = End"));

    // A tab-indented grid followed by another grid: both blocks are converted.
    const std::string form = "VERSION 5.00\r\nBegin VB.Form F \r\n"
                             "\tBegin MSDBGrid.DBGrid G1 \r\n\tEnd\r\n"
                             "\tBegin MSDBGrid.DBGrid G2 \r\n\tEnd\r\n"
                             "End\r\nPrivate Sub G2_LeftColChange()\r\n";
    conv.ResetDesignerLists();
    std::string out;
    ASSERT_EQ(conv.ConvertFormText(form, out, 1, 12, [](std::uint32_t) { return 0; }), 1);
    EXPECT_EQ(out, "VERSION 5.00\r\nBegin VB.Form F \r\n"
                   "\tBegin Lumatab80.LTab G1 \r\n\tEnd\r\n"
                   "\tBegin Lumatab80.LTab G2 \r\n\tEnd\r\n"
                   "End\r\n" +
                       std::string(kCodeChangeMarker) +
                       "\r\n'Private Sub G2_LeftColChange()\r\n"
                       "Private Sub G2_LeftColChange(ByVal SplitIndex as Integer)\r\n");

    // The designer section's "End" followed by blanks still starts the code.
    conv.ResetDesignerLists();
    std::string trailing = form;
    trailing.replace(trailing.find("End\r\nPrivate"), 3, "End \t");
    ASSERT_EQ(conv.ConvertFormText(trailing, out = {}, 1, 12, [](std::uint32_t) { return 0; }), 1);
    EXPECT_NE(out.find("G2_LeftColChange(ByVal SplitIndex as Integer)"), std::string::npos) << out;
}

TEST_F(Rules, ConvertingToTheVersionAlreadyThereChangesNothing) {
    // A project already on the target version: Begin lines, handlers with the target's types and
    // GUIDs of the target stay as they are, no marker is added, and nothing counts as converted.
    const std::string form = MakeFormObjectLine(12) +
                             "\r\nBegin VB.Form F \r\n   Begin Lumatab80.LTab G1 \r\n"
                             "      OleObjectBlob   =   \"F.frx\":0000\r\n   End\r\nEnd\r\n"
                             "Private Sub G1_FetchCellStyle(S As Lumatab80.StyleDisp)\r\n"
                             "Private Sub G1_UnboundReadData(R As Lumatab80.RowBuffer)\r\n"
                             "Private Sub G1_FirstRowChange(ByVal SplitIndex as Integer)\r\n";
    std::string out;
    int patchResult = -5;
    EXPECT_EQ(conv.ConvertFormText(form, out, 12, 12,
                                   [&](std::uint32_t offset) {
                                       std::string frx(24, '\0');
                                       frx[4] = 16;
                                       std::array<std::uint8_t, 16> b{};
                                       Versions().Item(12)->Item("CLSID_MsDgrid")->ToBytes(b);
                                       frx.append(reinterpret_cast<const char*>(b.data()), 16);
                                       const std::string before = frx;
                                       patchResult = conv.PatchOleObjectBlobBytes(frx, offset, 12,
                                                                                  12, nullptr);
                                       EXPECT_EQ(frx, before);
                                       return patchResult;
                                   }),
              0);
    EXPECT_EQ(patchResult, 0);
    EXPECT_EQ(out, form);
    std::string project = "Type=Exe\r\n" + MakeProjectObjectLine(12) + "\r\n";
    EXPECT_EQ(conv.ConvertProjectText(project, out = {}, 12, 12), 0);
    EXPECT_EQ(out, project);
}

TEST_F(Rules, DeclarationsAreRewrittenAllOnTheLineAndMarked) {
    EXPECT_EQ(code("Dim a As MSDBGrid.Column, b As MSDBGrid.Columns\r\n"),
              std::string(kCodeChangeMarker) +
                  "\r\n'Dim a As MSDBGrid.Column, b As MSDBGrid.Columns\r\n"
                  "Dim a As Lumatab80.Column, b As Lumatab80.Columns\r\n");
    EXPECT_EQ(code("Set c = x: Dim g as new msdbgrid.Split, h As MSDBGrid.Split\r\n"),
              std::string(kCodeChangeMarker) +
                  "\r\n'Set c = x: Dim g as new msdbgrid.Split, h As MSDBGrid.Split\r\n"
                  "Set c = x: Dim g As New Lumatab80.Split, h As Lumatab80.Split\r\n");
    // Comments, and the same library on both sides, stay as they are.
    EXPECT_EQ(code("  ' Dim a As MSDBGrid.Column\r\n  Rem Dim b As MSDBGrid.Column\r\n"),
              "  ' Dim a As MSDBGrid.Column\r\n  Rem Dim b As MSDBGrid.Column\r\n");
    EXPECT_EQ(code("Dim a As Lumatab80.Column\r\n", 12, 12), "Dim a As Lumatab80.Column\r\n");
    EXPECT_EQ(code("Dim a As Lumatab80.Column\r\n", 12, 13),
              std::string(kCodeChangeMarker) +
                  "\r\n'Dim a As Lumatab80.Column\r\nDim a As LumatabOle80.Column\r\n");
    // The library of row 2 is a prefix of the target's: no endless rewriting.
    EXPECT_EQ(code("Dim a As Lumatab.Column\r\n", 2, 12),
              std::string(kCodeChangeMarker) +
                  "\r\n'Dim a As Lumatab.Column\r\nDim a As Lumatab80.Column\r\n");
    // A declaration continued over two lines comes out joined after both originals.
    EXPECT_EQ(code("Dim a As Integer, _\r\n    b As MSDBGrid.Column\r\n"),
              std::string(kCodeChangeMarker) +
                  "\r\n'Dim a As Integer, _\r\n'    b As MSDBGrid.Column\r\n"
                  "Dim a As Integer, b As Lumatab80.Column\r\n");
    // Double-byte text whose second bytes spell "As " is no declaration.
    std::string jp = sj("MsgBox \"アs MSDBGrid.Column ヂs MSDBGrid.Column\"\r\n");
    EXPECT_EQ(code(jp), jp);
}

TEST_F(Rules, TheSourcesGridClassBecomesTheTargetsGridClass) {
    // The grid class itself has another name in the target library; other types keep theirs.
    EXPECT_EQ(code("Dim g As MSDBGrid.DBGrid, c As MSDBGrid.Column\r\n"),
              std::string(kCodeChangeMarker) +
                  "\r\n'Dim g As MSDBGrid.DBGrid, c As MSDBGrid.Column\r\n"
                  "Dim g As Lumatab80.LTab, c As Lumatab80.Column\r\n");
    EXPECT_EQ(code("Set g = New MSDBGrid.DBGrid: Dim h As New msdbgrid.dbgrid\r\n"),
              std::string(kCodeChangeMarker) +
                  "\r\n'Set g = New MSDBGrid.DBGrid: Dim h As New msdbgrid.dbgrid\r\n"
                  "Set g = New MSDBGrid.DBGrid: Dim h As New Lumatab80.LTab\r\n");
    // A longer name that merely begins with the class is another type.
    EXPECT_EQ(code("Dim x As MSDBGrid.DBGridColumn\r\n"),
              std::string(kCodeChangeMarker) +
                  "\r\n'Dim x As MSDBGrid.DBGridColumn\r\nDim x As Lumatab80.DBGridColumn\r\n");
    // The standard edition's class (row 3) to the OLE DB grid, at the end of a line too.
    EXPECT_EQ(code("Public g As LumatabStd.LTabS\r\n", 3, 13),
              std::string(kCodeChangeMarker) +
                  "\r\n'Public g As LumatabStd.LTabS\r\nPublic g As LumatabOle80.LTab\r\n");
}

TEST_F(Rules, EventSignatures) {
    conv.GridNames = {"LTab1", "DBGrid1"};
    conv.DropDownNames = {"DD1"};
    auto rewrite = [&](std::string line, std::int16_t from = 1, std::int16_t to = 12) {
        EXPECT_TRUE(conv.IsGridEventHandler(line)) << line;
        if (!conv.RewriteEventSignature(line, from, to)) {
            return std::string("(unchanged)");
        }
        return line;
    };
    EXPECT_EQ(rewrite("Private Sub LTab1_FirstRowChange()"),
              "Private Sub LTab1_FirstRowChange(ByVal SplitIndex as Integer)\r\n"
              "If SplitIndex <> LTab1.Split Then Exit Sub");
    EXPECT_EQ(rewrite("Private Sub LTab1_LeftColChange()"),
              "Private Sub LTab1_LeftColChange(ByVal SplitIndex as Integer)");
    EXPECT_EQ(
        rewrite("Private Sub DBGrid1_FormatText(ByVal ColIndex As Integer, value as variant)"),
        "Private Sub DBGrid1_FormatText(ByVal ColIndex As Integer, Value As Variant, "
        "Bookmark As Variant)");
    EXPECT_EQ(rewrite("Private Sub DBGrid1_FetchCellStyle(ByVal Condition As Integer, "
                      "CellStyle As Object)"),
              "Private Sub DBGrid1_FetchCellStyle(ByVal Condition As Integer, "
              "CellStyle As Lumatab80.StyleDisp)");
    EXPECT_EQ(rewrite("Sub DD1_FetchCellStyle(ByVal C As Integer, S As StyleDisp)", 7, 13),
              "Sub DD1_FetchCellStyle(ByVal C As Integer, S As LumatabOle80.StyleDisp)");
    EXPECT_EQ(
        rewrite("Sub DD1_FetchCellStyle(ByVal C As Integer, S As Lumatab60.StyleDisp)", 7, 13),
        "Sub DD1_FetchCellStyle(ByVal C As Integer, S As LumatabOle80.StyleDisp)");
    EXPECT_EQ(rewrite("Sub DBGrid1_UnboundReadData(ByVal RowBuf As RowBuffer, Bm As Variant)"),
              "Sub DBGrid1_UnboundReadData(ByVal RowBuf As Lumatab80.RowBuffer, Bm As Variant)");
    EXPECT_EQ(rewrite("Sub LTab1_UnboundAddData(ByVal R As Lumatab60.RowBuffer)", 7, 12),
              "Sub LTab1_UnboundAddData(ByVal R As Lumatab80.RowBuffer)");
    // Handlers that need nothing, and lines that are no handler of a known control.
    EXPECT_EQ(rewrite("Private Sub LTab1_FirstRowChange(ByVal SplitIndex As Integer)"),
              "(unchanged)");
    EXPECT_FALSE(conv.IsGridEventHandler("Private Sub Other1_FirstRowChange()"));
    EXPECT_FALSE(conv.IsGridEventHandler("' Private Sub LTab1_FirstRowChange()"));
    EXPECT_FALSE(conv.IsGridEventHandler("  Rem Private Sub LTab1_FirstRowChange()"));
    EXPECT_FALSE(conv.IsGridEventHandler("Private Sub DD1_FirstRowChange()")); // no such event
}

TEST_F(Rules, FrxOffsets) {
    EXPECT_EQ(ParseFrxOffset("      OleObjectBlob   =   \"Datach10Form.frx\":057E"), 0x57Eu);
    EXPECT_EQ(ParseFrxOffset("OleObjectBlob = \"C:\\x\\Form1.frx\":00ff "), 0xFFu);
    EXPECT_EQ(ParseFrxOffset("OleObjectBlob = \"Form1.frx\""), 0u);
    EXPECT_THROW(ParseFrxOffset("OleObjectBlob = \"Form1.frx\":12G4"), std::invalid_argument);
    EXPECT_THROW(ParseFrxOffset("OleObjectBlob = \"Form1.frx\":"), std::invalid_argument);
    EXPECT_THROW(ParseFrxOffset("OleObjectBlob = \"Form1.frx\":123456789"), std::invalid_argument);
}
