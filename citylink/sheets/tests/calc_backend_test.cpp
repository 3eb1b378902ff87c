// The spreadsheet contract against LibreOffice Calc in a real office process, and what the Calc
// backend adds: numbers from numeric text, one document per file in the office, the copy stored
// on showing, documents of an unfinished run closed, and the private office's lifetime.
#include "citylink/sheets/calc/calc_backend.h"
#include "citylink/sheets/embedded_engine.h"
#include "citylink/sheets/testing/calc_test_office.h"
#include "citylink/sheets/tests/contract_cases.h"
#include "citylink/sheets/xlsx/workbook_file.h"
#include "foundation/utf8_path.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

using namespace sheets;
namespace fs = std::filesystem;
using contract::kShort;
using contract::kStandard;

namespace {

fs::path copyForm(const testsupport::ScratchDir& dir,
                  std::string_view name = "時間外保育利用状況表.xlsx") {
    fs::path path = dir / name;
    fs::copy_file(testsupport::sourceDir() / "citylink/sheets/tests/data/form.xlsx", path,
                  fs::copy_options::overwrite_existing);
    return path;
}

struct CalcBackend {
    testsupport::ScratchDir dir;
    CalcOfficePtr office = calctest::SharedTestOffice();
    ~CalcBackend() {
        // The next test starts with an empty office, whatever this one left.
        try {
            calctest::CloseAll(office);
        } catch (...) {
        }
    }
    ApplicationPtr create() { return CreateCalcApplication(office); }
    std::string workbook() { return utf8::fromPath(copyForm(dir)); }
};

} // namespace

using CalcBackends = ::testing::Types<CalcBackend>;
namespace sheets::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Calc, SpreadsheetContract, ::CalcBackends);
} // namespace sheets::contract

namespace {

class Calc : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;
    CalcOfficePtr office = calctest::SharedTestOffice();
    void TearDown() override { calctest::CloseAll(office); }

    // The sheet of that name in the workbook, opened by the application.
    static WorksheetPtr sheetOf(const ApplicationPtr& app, const fs::path& book,
                                const std::string& name) {
        return app->Workbooks()->Open(utf8::fromPath(book))->Worksheets()->Item(name);
    }

    // The folder's files; the office's lock files of open documents left out when asked.
    std::vector<std::string> filesInDir(bool withLocks = true) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            if (withLocks || !utf8::fromPath(entry.path().filename()).starts_with(".~lock."))
                names.push_back(utf8::fromPath(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

TEST_F(Calc, NumericTextIsWrittenAsANumberAndOtherTextAsText) {
    fs::path book = copyForm(dir);
    auto app = CreateCalcApplication(office);
    auto sheet = sheetOf(app, book, kShort);
    sheet->Range("D6")->setValue("2019");
    sheet->Range("E6")->setValue("07");
    sheet->Range("C6")->setValue("ﾔﾏﾀﾞ ﾀﾛｳ");
    sheet->Range("F6")->setValue("1-2"); // not a plain number: stays text
    Block block(2, std::vector<std::string>(31));
    block[0][0] = "16";
    block[1][0] = "05";
    block[1][1] = "=1+1"; // text, never a formula
    sheet->Range("X6:BB7")->setValues(block);

    auto expectCell = [&](const char* a1, const char* text, bool wantNumber) {
        bool number = !wantNumber;
        EXPECT_EQ(calctest::CellText(office, book, kShort, a1, &number), text) << a1;
        EXPECT_EQ(number, wantNumber) << a1;
    };
    expectCell("D6", "2019", true);
    expectCell("E6", "7", true);
    expectCell("X6", "16", true);
    expectCell("X7", "5", true);
    expectCell("C6", "ﾔﾏﾀﾞ ﾀﾛｳ", false);
    expectCell("F6", "1-2", false);
    expectCell("Y7", "=1+1", false);
    app->Quit();
}

TEST_F(Calc, AFileOpenInTheOfficeIsThatDocumentAndCounts) {
    fs::path book = copyForm(dir);
    fs::path other = copyForm(dir, "other.xlsx");
    calctest::OpenAsUser(office, other);
    auto first = CreateCalcApplication(office);
    auto books = first->Workbooks();
    EXPECT_EQ(books->Count(), 1); // the user's document counts
    books->Open(utf8::fromPath(book))->Worksheets()->Item(kShort)->Range("C6")->setValue("ｱ");
    EXPECT_EQ(books->Count(), 2);
    first->setVisible(true);
    first.reset();
    books.reset();

    // A second application on the same file fills the same document.
    auto second = CreateCalcApplication(office);
    auto sheet = sheetOf(second, book, kStandard);
    EXPECT_EQ(second->Workbooks()->Count(), 2);
    EXPECT_EQ(sheetOf(second, book, kShort)->Range("C6")->Value(), "ｱ");
    sheet->Range("C6")->setValue("ｲ");
    second->setVisible(true);
    second.reset();
    sheet.reset();

    auto docs = calctest::OpenDocuments(office);
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(calctest::CellText(office, book, kShort, "C6"), "ｱ");
    EXPECT_EQ(calctest::CellText(office, book, kStandard, "C6"), "ｲ");
    for (const auto& doc : docs) {
        if (doc.file.filename() == book.filename()) {
            EXPECT_TRUE(doc.modified);
        }
    }
    // Nothing was saved: the file is the form as it was.
    EXPECT_EQ(
        testsupport::readBytes(book),
        testsupport::readBytes(testsupport::sourceDir() / "citylink/sheets/tests/data/form.xlsx"));
}

TEST_F(Calc, ShowingStoresTheCopyAskedForAndKeepsTheDocumentOpenAndModified) {
    fs::path book = copyForm(dir);
    CalcOptions options;
    std::vector<fs::path> stored;
    options.copyPath = [&](const fs::path& original) {
        return original.parent_path() / "filled.xlsx";
    };
    options.onCopyStored = [&](const fs::path& p) { stored.push_back(p); };
    auto app = CreateCalcApplication(office, options);
    auto sheet = sheetOf(app, book, kStandard);
    sheet->Range("C6")->setValue("ﾀﾅｶ");
    sheet->Range("X6")->setValue("18");
    app->setVisible(true);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0], dir / "filled.xlsx");
    app.reset();
    sheet.reset();

    auto docs = calctest::OpenDocuments(office);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_TRUE(docs[0].modified);
    // The copy, read by the embedded engine's reader: the values as written.
    xlsx::WorkbookFile copy(dir / "filled.xlsx");
    int index = copy.find(kStandard);
    ASSERT_GE(index, 0);
    EXPECT_EQ(copy.read(index, {6, 3}), "ﾀﾅｶ");
    EXPECT_EQ(copy.read(index, {6, 24}), "18");
    EXPECT_EQ(filesInDir(false),
              (std::vector<std::string>{"filled.xlsx", "時間外保育利用状況表.xlsx"}));
}

TEST_F(Calc, ACopyIsNeverStoredOverTheOpenedFile) {
    fs::path book = copyForm(dir);
    std::string before = testsupport::readBytes(book);
    CalcOptions options;
    options.copyPath = [](const fs::path& original) { return original; };
    auto app = CreateCalcApplication(office, options);
    sheetOf(app, book, kShort)->Range("C6")->setValue("ｱ");
    EXPECT_THROW(app->setVisible(true), AutomationError);
    EXPECT_EQ(testsupport::readBytes(book), before);
}

TEST_F(Calc, OpensAnXlsWorkbook) {
    // The form as .xls, stored by the office itself.
    fs::path book = copyForm(dir);
    CalcOptions options;
    options.copyPath = [&](const fs::path&) { return dir / "form.xls"; };
    auto app = CreateCalcApplication(office, options);
    app->Workbooks()->Open(utf8::fromPath(book));
    app->setVisible(true);
    app.reset();
    calctest::CloseAll(office);

    app = CreateCalcApplication(office);
    auto sheets = app->Workbooks()->Open(utf8::fromPath(dir / "form.xls"))->Worksheets();
    EXPECT_EQ(sheets->Count(), 3);
    sheets->Item(kShort)->Range("X6")->setValue("07");
    EXPECT_EQ(sheets->Item(kShort)->Range("X6")->Value(), "7");
}

TEST_F(Calc, AnUnfinishedRunLeavesNoDocumentAndNoFile) {
    fs::path book = copyForm(dir);
    fs::path other = copyForm(dir, "other.xlsx");
    calctest::OpenAsUser(office, other);
    auto before = filesInDir();
    {
        auto app = CreateCalcApplication(office);
        auto sheet = sheetOf(app, book, kShort);
        sheet->Range("C6")->setValue("ｱ");
        // Released without being shown (and not quit: another document is open).
    }
    auto docs = calctest::OpenDocuments(office);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].file.filename(), "other.xlsx");
    EXPECT_EQ(filesInDir(), before); // no copy, no lock file
}

TEST_F(Calc, QuitClosesWhatItLoadedAndKeepsTheUsersDocuments) {
    fs::path book = copyForm(dir);
    fs::path other = copyForm(dir, "other.xlsx");
    calctest::OpenAsUser(office, other);
    auto app = CreateCalcApplication(office);
    sheetOf(app, book, kShort)->Range("C6")->setValue("ｱ");
    app->Quit();
    auto docs = calctest::OpenDocuments(office);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].file.filename(), "other.xlsx");
}

TEST_F(Calc, MissingFilesAndNonSpreadsheetsDoNotOpen) {
    auto app = CreateCalcApplication(office);
    try {
        app->Workbooks()->Open(utf8::fromPath(dir / "missing.xlsx"));
        ADD_FAILURE() << "opened a missing file";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), errors::kApplicationDefined);
    }
    testsupport::writeBytes(dir / "notes.xlsx", "just some text, not a workbook\n");
    // Calc reads a text file as a one-column sheet; whatever it makes of it, it is never
    // written back.
    try {
        app->Workbooks()->Open(utf8::fromPath(dir / "notes.xlsx"));
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), errors::kApplicationDefined);
    }
    app.reset();
    EXPECT_EQ(testsupport::readBytes(dir / "notes.xlsx"), "just some text, not a workbook\n");
}

// Single cells go to the office in blocks; a block takes in only empty cells besides the written
// ones, so the form's labels, formulas and merged areas around them stay as they were.
TEST_F(Calc, CellsWrittenOneByOneLeaveTheCellsAroundThemAsTheyWere) {
    fs::path book = dir / "form.xlsx";
    fs::copy_file(testsupport::sourceDir() / "samples/時間外保育利用状況表.xlsx", book);
    auto app = CreateCalcApplication(office);
    auto sheet = sheetOf(app, book, kShort);
    for (int top : {6, 10, 14}) {
        const std::string row = std::to_string(top);
        sheet->Range("C" + row)->setValue("ｴﾝｼﾞ " + row);
        sheet->Range("D" + row)->setValue("2016");
        sheet->Range("F" + row)->setValue("4");
        sheet->Range("H" + row)->setValue("1");
    }
    sheet->Range("H10")->setValue("30"); // written twice: the last value counts
    sheet->Range("X10")->setValue("7");
    sheet->Range("BC6")->setValue("1"); // BC10 between them holds the group's formula
    sheet->Range("BC14")->setValue("2");
    EXPECT_EQ(sheet->Range("H10")->Value(), "30"); // a read sees every held cell

    auto cell = [&](const char* a1) { return calctest::CellText(office, book, kShort, a1); };
    EXPECT_EQ(cell("C10"), "ｴﾝｼﾞ 10");
    EXPECT_EQ(cell("D14"), "2016");
    EXPECT_EQ(cell("F6"), "4");
    EXPECT_EQ(cell("H6"), "1");
    EXPECT_EQ(cell("H10"), "30");
    EXPECT_EQ(cell("E6"), "年");
    EXPECT_EQ(cell("G10"), "月");
    EXPECT_EQ(cell("I14"), "日");
    EXPECT_EQ(cell("C7"), "");
    EXPECT_EQ(cell("V7"), "前 分");
    EXPECT_EQ(sheet->Range("BC10")->Value(), "1"); // still its formula, counting X10
    EXPECT_EQ(cell("BC14"), "2");
}

// The run reads the form's extent from the used area: Calc and the embedded engine answer the
// same on the city's workbook.
TEST_F(Calc, UsedRangeOfTheCitysWorkbookIsTheEmbeddedEnginesToo) {
    fs::path book = dir / "form.xlsx";
    fs::copy_file(testsupport::sourceDir() / "samples/時間外保育利用状況表.xlsx", book);
    auto calcSheets =
        CreateCalcApplication(office)->Workbooks()->Open(utf8::fromPath(book))->Worksheets();
    auto engineSheets =
        CreateEmbeddedApplication()->Workbooks()->Open(utf8::fromPath(book))->Worksheets();
    for (const std::string& name : {kShort, kStandard}) {
        auto inCalc = calcSheets->Item(name)->UsedRange();
        auto inEngine = engineSheets->Item(name)->UsedRange();
        ASSERT_TRUE(inCalc && inEngine) << name;
        EXPECT_EQ(inCalc->Address(), inEngine->Address()) << name;
    }
}

TEST(CalcOffice, APrivateOfficeStopsWithItsLastReference) {
    CalcOfficePtr office = PrivateCalcOffice();
    auto app = CreateCalcApplication(office);
    long pid = office->processId();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(kill(static_cast<pid_t>(pid), 0), 0);
    app.reset();
    office.reset();
    // Reaped by the owner: no such process any more.
    EXPECT_NE(kill(static_cast<pid_t>(pid), 0), 0);
}

TEST(CalcOffice, AStartThatTakesTooLongFailsAsCreationFailsAndLeavesNoProcess) {
    CalcOfficePtr office = PrivateCalcOffice(std::chrono::milliseconds(0));
    try {
        CreateCalcApplication(office);
        ADD_FAILURE() << "an office answered at once";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), errors::kCannotCreateObject);
        EXPECT_NE(e.description().find("did not answer"), std::string::npos) << e.description();
    }
    EXPECT_EQ(office->processId(), 0);
}
