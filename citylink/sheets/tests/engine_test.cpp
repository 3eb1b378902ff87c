// The embedded engine on real workbook files: what it keeps, what it changes, how it saves.
#include "citylink/sheets/embedded_engine.h"
#include "foundation/utf8_path.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zip.h>

#include <map>

using namespace sheets;
namespace fs = std::filesystem;

namespace {

const std::string kShort = "利用状況表（保育短時間）";

using utf8::fromPath;

fs::path fixture(const std::string& name) {
    return testsupport::sourceDir() / "citylink/sheets/tests/data" / name;
}

// Every entry of a zip: name -> (compression method, CRC, stored bytes exactly as in the file).
struct RawEntry {
    int method;
    unsigned crc;
    std::string stored;
    bool operator==(const RawEntry&) const = default;
};
std::vector<std::pair<std::string, RawEntry>> rawEntries(const fs::path& file) {
    int error = 0;
    zip_t* z = zip_open(utf8::fromPath(file).c_str(), ZIP_RDONLY, &error); // libzip names are UTF-8
    EXPECT_TRUE(z) << fromPath(file);
    std::vector<std::pair<std::string, RawEntry>> out;
    if (!z)
        return out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, i, 0, &st);
        RawEntry e{st.comp_method, st.crc, std::string(st.comp_size, '\0')};
        zip_file_t* f = zip_fopen_index(z, i, ZIP_FL_COMPRESSED);
        EXPECT_TRUE(f);
        if (f) {
            zip_fread(f, e.stored.data(), e.stored.size());
            zip_fclose(f);
        }
        out.emplace_back(st.name, std::move(e));
    }
    zip_close(z);
    return out;
}

std::string readPart(const fs::path& file, const char* part) {
    int error = 0;
    zip_t* z = zip_open(utf8::fromPath(file).c_str(), ZIP_RDONLY, &error); // libzip names are UTF-8
    if (!z)
        return {};
    std::string data;
    zip_stat_t st;
    if (zip_stat(z, part, 0, &st) == 0) {
        data.resize(st.size);
        zip_file_t* f = zip_fopen(z, part, 0);
        zip_fread(f, data.data(), data.size());
        zip_fclose(f);
    }
    zip_close(z);
    return data;
}

pugi::xml_node cellNode(const pugi::xml_document& doc, const std::string& ref) {
    return doc.select_node(("//*[local-name()='c'][@r='" + ref + "']").c_str()).node();
}

class EmbeddedEngine : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;
    std::vector<fs::path> opened;
    ApplicationPtr app;

    EmbeddedEngine() {
        EmbeddedEngineOptions options;
        options.opener = [this](const fs::path& p) { opened.push_back(p); };
        app = CreateEmbeddedApplication(options);
    }
    fs::path copy(const std::string& name, const std::string& as = "") {
        fs::path to = dir / (as.empty() ? name : as);
        fs::copy_file(fixture(name), to);
        return to;
    }
    WorkbookPtr open(const fs::path& p) { return app->Workbooks()->Open(fromPath(p)); }
    fs::path show() {
        opened.clear();
        app->setVisible(true);
        EXPECT_EQ(opened.size(), 1u);
        return opened.empty() ? fs::path() : opened.back();
    }
};

AutomationError openError(const ApplicationPtr& app, const fs::path& p) {
    try {
        app->Workbooks()->Open(fromPath(p));
    } catch (const AutomationError& e) {
        return e;
    }
    return AutomationError("opened", 0);
}

} // namespace

TEST_F(EmbeddedEngine, SavesAFilledCopyBesideTheOriginalAndNeverTheOriginal) {
    fs::path original = copy("form.xlsx", "時間外保育利用状況表.xlsx");
    const std::string before = testsupport::readBytes(original);
    testsupport::writeBytes(dir / "時間外保育利用状況表_記入済.xlsx", "someone else's file");

    open(original)->Worksheets()->Item(kShort)->Range("C6")->setValue("ﾔﾏﾀﾞ");
    fs::path saved = show();
    EXPECT_EQ(saved, dir / "時間外保育利用状況表_記入済 (2).xlsx");
    EXPECT_EQ(testsupport::readBytes(original), before);
    EXPECT_EQ(testsupport::readBytes(dir / "時間外保育利用状況表_記入済.xlsx"),
              "someone else's file");

    // Shown again without a change: nothing saved; after a change: the same copy is replaced.
    app->setVisible(false);
    app->setVisible(true);
    EXPECT_EQ(opened.size(), 1u);
    open(original)->Worksheets()->Item(kShort)->Range("C10")->setValue("ﾀﾅｶ");
    EXPECT_EQ(show(), saved);
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
}

TEST_F(EmbeddedEngine, FilledNamesCountUpAndKeepTheExtension) {
    fs::path original = dir / "帳票.xlsm";
    EXPECT_EQ(FilledWorkbookPath(original), dir / "帳票_記入済.xlsm");
    testsupport::writeBytes(dir / "帳票_記入済.xlsm", "1");
    testsupport::writeBytes(dir / "帳票_記入済 (2).xlsm", "2");
    EXPECT_EQ(FilledWorkbookPath(original), dir / "帳票_記入済 (3).xlsm");
    // A run on a filled copy: the next copy of the clerk's workbook, not a copy of the copy.
    EXPECT_EQ(FilledWorkbookPath(dir / "帳票_記入済.xlsm"), dir / "帳票_記入済 (3).xlsm");
    EXPECT_EQ(FilledWorkbookPath(dir / "帳票_記入済 (2).xlsm"), dir / "帳票_記入済 (3).xlsm");
    // Names that only look alike stay as they are.
    EXPECT_EQ(FilledWorkbookPath(dir / "_記入済.xlsm"), dir / "_記入済_記入済.xlsm");
    EXPECT_EQ(FilledWorkbookPath(dir / "帳票_記入済 (x).xlsm"),
              dir / "帳票_記入済 (x)_記入済.xlsm");
    EXPECT_EQ(FilledWorkbookPath(dir / "帳票 (2).xlsm"), dir / "帳票 (2)_記入済.xlsm");
}

TEST_F(EmbeddedEngine, QuitOrReleaseWithoutShowingDiscardsTheChanges) {
    fs::path original = copy("form.xlsx");
    open(original)->Worksheets()->Item(kShort)->Range("C6")->setValue("ﾔﾏﾀﾞ");
    app->Quit();
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(EmbeddedEngine, KeepsEveryUntouchedPartByteForByte) {
    fs::path original = copy("form.xlsx");
    auto sheet = open(original)->Worksheets()->Item(kShort);
    sheet->Range("C6")->setValue("ﾔﾏﾀﾞ ﾀﾛｳ");
    sheet->Range("X6:BB9")->setValues(Block(4, std::vector<std::string>(31, "5")));
    fs::path saved = show();

    auto before = rawEntries(original);
    auto after = rawEntries(saved);
    std::map<std::string, RawEntry> afterByName(after.begin(), after.end());
    ASSERT_EQ(before.size(), after.size());
    for (const auto& [name, entry] : before) {
        ASSERT_TRUE(afterByName.count(name)) << name;
        bool rewritten = name == "xl/worksheets/sheet1.xml" || name == "xl/workbook.xml";
        if (!rewritten) {
            EXPECT_TRUE(afterByName[name] == entry) << name;
        } else {
            EXPECT_EQ(afterByName[name].method, ZIP_CM_DEFLATE) << name;
        }
    }
}

TEST_F(EmbeddedEngine, StoresValuesAsAssignedAndKeepsCellStyles) {
    fs::path original = copy("form.xlsx");
    auto sheet = open(original)->Worksheets()->Item(kShort);
    Block block(4, std::vector<std::string>(31));
    block[0][0] = "07";
    block[1][0] = "1.50";
    block[2][0] = "ｱ";
    block[3][1] = " 先頭の空白";
    sheet->Range("X6:BB9")->setValues(block);
    fs::path saved = show();

    pugi::xml_document was;
    pugi::xml_document doc;
    ASSERT_TRUE(was.load_string(readPart(original, "xl/worksheets/sheet1.xml").c_str()));
    ASSERT_TRUE(doc.load_string(readPart(saved, "xl/worksheets/sheet1.xml").c_str()));
    pugi::xml_node x6 = cellNode(doc, "X6");
    EXPECT_STREQ(x6.child_value("v"), "7");
    EXPECT_FALSE(x6.attribute("t"));
    EXPECT_STREQ(x6.attribute("s").value(), cellNode(was, "X6").attribute("s").value());
    EXPECT_STRNE(x6.attribute("s").value(), "");
    EXPECT_STREQ(cellNode(doc, "X7").child_value("v"), "1.5");
    EXPECT_STREQ(cellNode(doc, "X8").attribute("t").value(), "inlineStr");
    EXPECT_STREQ(cellNode(doc, "X8").child("is").child_value("t"), "ｱ");
    pugi::xml_node y9 = cellNode(doc, "Y9").child("is").child("t");
    EXPECT_STREQ(y9.attribute("xml:space").value(), "preserve");
    EXPECT_STREQ(y9.child_value(), " 先頭の空白");
    // Cleared: the value goes, the bordered cell and its style stay.
    pugi::xml_node aa7 = cellNode(doc, "AA7");
    EXPECT_FALSE(aa7.child("v") || aa7.child("is") || aa7.attribute("t"));
    EXPECT_STREQ(aa7.attribute("s").value(), cellNode(was, "AA7").attribute("s").value());
    // Formulas beside the block stay; the workbook asks for a recalculation.
    EXPECT_STREQ(cellNode(doc, "BC6").child_value("f"), "COUNT(X6:BB6)");
    EXPECT_STREQ(cellNode(doc, "BE6").child_value("f"), "SUM(BC6:BC9)");
    EXPECT_NE(readPart(saved, "xl/workbook.xml").find("fullCalcOnLoad=\"1\""), std::string::npos);
}

TEST_F(EmbeddedEngine, CreatesRowsAndCellsInOrder) {
    fs::path original = copy("form.xlsx");
    auto sheet = open(original)->Worksheets()->Item(kShort);
    sheet->Range("BZ100")->setValue("3");
    sheet->Range("A100")->setValue("1");
    sheet->Range("M100")->setValue("2");
    sheet->Range("B50")->setValue("x");
    sheet->Range("B47")->setValue(""); // clearing a cell that does not exist creates nothing
    fs::path saved = show();

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(readPart(saved, "xl/worksheets/sheet1.xml").c_str()));
    int lastRow = 0;
    for (auto row : doc.select_nodes("//*[local-name()='row']")) {
        int r = row.node().attribute("r").as_int();
        EXPECT_GT(r, lastRow);
        lastRow = r;
    }
    std::vector<std::string> cells;
    for (auto c : doc.select_nodes("//*[local-name()='row'][@r='100']/*[local-name()='c']"))
        cells.push_back(c.node().attribute("r").value());
    EXPECT_EQ(cells, (std::vector<std::string>{"A100", "M100", "BZ100"}));
    EXPECT_FALSE(doc.select_node("//*[local-name()='row'][@r='47']"));
    EXPECT_STREQ(doc.select_node("//*[local-name()='dimension']").node().attribute("ref").value(),
                 "A1:BZ100");
}

TEST_F(EmbeddedEngine, RespectsTextFormatAndGivesNewCellsTheirRowOrColumnStyle) {
    fs::path original = copy("formats.xlsx");
    auto sheet = open(original)->Worksheets()->Item("Formats");
    sheet->Range("B2")->setValue("07");
    sheet->Range("D9")->setValue("5");
    sheet->Range("F5")->setValue("x");
    sheet->Range("H9")->setValue("1");
    EXPECT_EQ(sheet->Range("B2")->Value(), "07");
    fs::path saved = show();

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(readPart(saved, "xl/worksheets/sheet1.xml").c_str()));
    EXPECT_STREQ(cellNode(doc, "B2").attribute("t").value(), "inlineStr");
    EXPECT_STREQ(cellNode(doc, "B2").attribute("s").value(), "2");
    EXPECT_STREQ(cellNode(doc, "D9").attribute("s").value(), "1"); // the column's style
    EXPECT_STREQ(cellNode(doc, "F5").attribute("s").value(), "3"); // the row's style
    EXPECT_FALSE(cellNode(doc, "H9").attribute("s"));
}

TEST_F(EmbeddedEngine, RefusesToChangePartOfAMergedArea) {
    fs::path original = copy("form.xlsx"); // A1:W1 is merged
    auto sheet = open(original)->Worksheets()->Item(kShort);
    try {
        sheet->Range("V1:X2")->setValues({{"1", "2", "3"}, {"4", "5", "6"}});
        FAIL() << "written";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), errors::kApplicationDefined);
        EXPECT_NE(e.description().find("A1:W1"), std::string::npos) << e.description();
    }
    EXPECT_EQ(sheet->Range("X1")->Value(), "");
    sheet->Range("B1")->setValue("x");    // one cell: allowed
    sheet->Range("A1:W2")->setValue("y"); // the whole merged area: allowed
    EXPECT_EQ(sheet->Range("W2")->Value(), "y");
}

TEST_F(EmbeddedEngine, AWrittenFormulaCellLosesItsFormulaAndTheCalculationChainGoes) {
    fs::path original = copy("formulas.xlsx");
    auto sheet = open(original)->Worksheets()->Item("Calc");
    sheet->Range("C1")->setValue("15");
    fs::path saved = show();

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(readPart(saved, "xl/worksheets/sheet1.xml").c_str()));
    EXPECT_FALSE(cellNode(doc, "C1").child("f"));
    EXPECT_STREQ(cellNode(doc, "C1").child_value("v"), "15");
    EXPECT_STREQ(cellNode(doc, "B1").child_value("f"), "A1*2");
    EXPECT_TRUE(readPart(saved, "xl/calcChain.xml").empty());
    EXPECT_EQ(readPart(saved, "xl/_rels/workbook.xml.rels").find("calcChain"), std::string::npos);
    EXPECT_EQ(readPart(saved, "[Content_Types].xml").find("calcChain"), std::string::npos);
    EXPECT_NE(readPart(saved, "xl/workbook.xml").find("fullCalcOnLoad=\"1\""), std::string::npos);
}

TEST_F(EmbeddedEngine, WritesBesideFormulasKeepTheCalculationChain) {
    fs::path original = copy("formulas.xlsx");
    open(original)->Worksheets()->Item("Calc")->Range("A1")->setValue("9");
    fs::path saved = show();
    EXPECT_EQ(readPart(saved, "xl/calcChain.xml"), readPart(original, "xl/calcChain.xml"));
    EXPECT_NE(readPart(saved, "xl/_rels/workbook.xml.rels").find("calcChain"), std::string::npos);
}

// LibreOffice ignores the request to recalculate and shows stored results as they are: a sheet
// that was written must carry no stale result, while other sheets stay byte for byte.
TEST_F(EmbeddedEngine, AWrittenSheetKeepsItsFormulasButNoStaleResults) {
    fs::path original = copy("formulas.xlsx");
    auto sheet = open(original)->Worksheets()->Item("Calc");
    sheet->Range("A1")->setValue("9");
    EXPECT_EQ(sheet->Range("B1")->Value(), "2"); // the engine itself does not compute
    fs::path saved = show();

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(readPart(saved, "xl/worksheets/sheet1.xml").c_str()));
    for (const char* ref : {"B1", "B3", "C1", "D2", "E1"}) {
        pugi::xml_node cell = cellNode(doc, ref);
        EXPECT_TRUE(cell.child("f")) << ref;
        EXPECT_FALSE(cell.child("v")) << ref;
        EXPECT_FALSE(cell.attribute("t")) << ref;
    }
    EXPECT_STREQ(cellNode(doc, "B1").child_value("f"), "A1*2");
    EXPECT_STREQ(cellNode(doc, "A2").child_value("v"), "2");
    EXPECT_EQ(readPart(saved, "xl/worksheets/sheet2.xml"),
              readPart(original, "xl/worksheets/sheet2.xml"));
}

TEST_F(EmbeddedEngine, OverwritingASharedFormulaGivesTheOtherCellsTheirOwnCopy) {
    fs::path original = copy("formulas.xlsx");
    auto sheet = open(original)->Worksheets()->Item("Calc");
    sheet->Range("B1")->setValue("0");
    sheet->Range("D1:D2")->setValues({{""}, {""}});
    fs::path saved = show();

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(readPart(saved, "xl/worksheets/sheet1.xml").c_str()));
    EXPECT_FALSE(cellNode(doc, "B1").child("f"));
    for (int r = 2; r <= 5; ++r) {
        pugi::xml_node f = cellNode(doc, "B" + std::to_string(r)).child("f");
        EXPECT_EQ(std::string(f.child_value()), "A" + std::to_string(r) + "*2");
        EXPECT_FALSE(f.attribute("t"));
        EXPECT_FALSE(f.attribute("si"));
    }
    EXPECT_FALSE(cellNode(doc, "D2").child("f"));
    EXPECT_STREQ(cellNode(doc, "D3").child_value("f"), "$A$1+A3");
}

TEST_F(EmbeddedEngine, HandlesRowsAndCellsWithoutReferences) {
    fs::path original = copy("norefs.xlsx");
    auto sheet = open(original)->Worksheets()->Item("Data");
    sheet->Range("B4:C4")->setValues({{"42", "x"}});
    sheet->Range("B2")->setValue("");
    sheet->Range("B5")->setValue("b5");
    EXPECT_EQ(sheet->Range("C3")->Value(), "33");
    EXPECT_EQ(sheet->Range("B4")->Value(), "42");
    EXPECT_EQ(sheet->Range("A5")->Value(), "a5");
    EXPECT_EQ(sheet->Range("B5")->Value(), "b5");
    EXPECT_EQ(sheet->Range("C5")->Value(), "c5");
    EXPECT_EQ(sheet->Range("B2")->Value(), "");
    EXPECT_EQ(sheet->Range("C2")->Value(), "23");
}

TEST_F(EmbeddedEngine, KeepsANamespacePrefixAndReadsSharedRichText) {
    fs::path prefixed = copy("prefixed.xlsx");
    auto sheet = open(prefixed)->Worksheets()->Item("prefixed");
    sheet->Range("B2")->setValue("7");
    fs::path saved = show();
    std::string xml = readPart(saved, "xl/worksheets/sheet1.xml");
    EXPECT_NE(xml.find("<x:c r=\"B2\"><x:v>7</x:v></x:c><x:c r=\"C2\""), std::string::npos) << xml;

    fs::path form = copy("form.xlsx");
    EXPECT_EQ(open(form)->Worksheets()->Item(kShort)->Range("B2")->Value(), "リッチ");
}

TEST_F(EmbeddedEngine, KeepsTheMacroProjectOfAnXlsm) {
    fs::path original = copy("macro.xlsm");
    open(original)->Worksheets()->Item("保育標準時間")->Range("C6")->setValue("ﾀﾅｶ");
    fs::path saved = show();
    EXPECT_EQ(saved.filename(), testsupport::u8path("macro_記入済.xlsm"));
    auto before = rawEntries(original);
    auto after = rawEntries(saved);
    auto find = [](const auto& entries, const std::string& name) {
        for (const auto& [n, e] : entries)
            if (n == name)
                return e;
        return RawEntry{};
    };
    EXPECT_FALSE(find(before, "xl/vbaProject.bin").stored.empty());
    EXPECT_TRUE(find(before, "xl/vbaProject.bin") == find(after, "xl/vbaProject.bin"));
}

TEST_F(EmbeddedEngine, TextThatXmlCannotCarryStillGivesAWellFormedSheet) {
    fs::path original = copy("form.xlsx");
    auto sheet = open(original)->Worksheets()->Item(kShort);
    const std::string odd = std::string("a\x01<&>\"b\xFF") + "_x0041_";
    sheet->Range("C6")->setValue(odd);
    EXPECT_EQ(sheet->Range("C6")->Value(), "a\x01<&>\"b\xEF\xBF\xBD_x0041_");
    fs::path saved = show();
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(readPart(saved, "xl/worksheets/sheet1.xml").c_str()));
}

TEST_F(EmbeddedEngine, FailsClearlyOnWhatItCannotOpen) {
    auto expectFailure = [&](const fs::path& p, const std::string& start) {
        AutomationError e = openError(app, p);
        EXPECT_EQ(e.number(), errors::kApplicationDefined) << fromPath(p);
        EXPECT_TRUE(e.description().starts_with(start)) << e.description();
    };
    expectFailure(copy("old.xls"),
                  "このエンジンでは開けないブックです: old.xls (バイナリ形式の .xls");
    expectFailure(copy("old.xls", "renamed.xlsx"),
                  "このエンジンでは開けないブックです: renamed.xlsx");
    expectFailure(copy("notzip.xlsx"),
                  "このエンジンでは開けないブックです: notzip.xlsx (zip パッケージではありません");
    expectFailure(copy("form.xlsx", "form.csv"), "このエンジンでは開けないブックです: form.csv");
    expectFailure(dir / "missing.xlsx", "ブックを読み込めません: missing.xlsx");
    std::string truncated = testsupport::readBytes(fixture("form.xlsx"));
    testsupport::writeBytes(dir / "truncated.xlsx", truncated.substr(0, truncated.size() / 2));
    expectFailure(dir / "truncated.xlsx", "このエンジンでは開けないブックです: truncated.xlsx");
    EXPECT_EQ(app->Workbooks()->Count(), 0);
}

TEST_F(EmbeddedEngine, OpeningTheSameFileAgainGivesTheOpenWorkbook) {
    fs::path original = copy("form.xlsx");
    open(original)->Worksheets()->Item(kShort)->Range("C6")->setValue("ﾔﾏﾀﾞ");
    auto again = open(original);
    EXPECT_EQ(app->Workbooks()->Count(), 1);
    EXPECT_EQ(again->Worksheets()->Item(kShort)->Range("C6")->Value(), "ﾔﾏﾀﾞ");
    fs::create_directory(dir / "other");
    fs::copy_file(original, dir / "other" / "form.xlsx");
    EXPECT_EQ(openError(app, dir / "other" / "form.xlsx").number(), errors::kApplicationDefined);
}

TEST(EmbeddedEngineSave, RefusesTheOriginalAndReportsAFailedSave) {
    testsupport::ScratchDir dir;
    fs::path original = dir / "form.xlsx";
    fs::copy_file(fixture("form.xlsx"), original);
    const std::string before = testsupport::readBytes(original);
    for (fs::path target : {original, dir / "no such folder" / "out.xlsx"}) {
        EmbeddedEngineOptions options;
        options.outputPath = [&](const fs::path&) { return target; };
        auto app = CreateEmbeddedApplication(options);
        app->Workbooks()
            ->Open(fromPath(original))
            ->Worksheets()
            ->Item(kShort)
            ->Range("C6")
            ->setValue("x");
        EXPECT_THROW(app->setVisible(true), AutomationError) << fromPath(target);
        EXPECT_FALSE(app->Visible());
    }
    EXPECT_EQ(testsupport::readBytes(original), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}
