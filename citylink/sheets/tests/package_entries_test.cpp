// Packages whose entries are there twice, and the rebuilt package's entries.
#include "citylink/sheets/embedded_engine.h"
#include "citylink/sheets/xlsx/xlsx_package.h"
#include "foundation/utf8_path.h"
#include "testsupport/test_files.h"
#include "zip_maker.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <algorithm>
#include <ctime>
#include <vector>

using namespace sheets;
namespace fs = std::filesystem;

namespace {

fs::path fixture(const std::string& name) {
    return testsupport::sourceDir() / "citylink/sheets/tests/data" / name;
}

void fillShortSheet(const fs::path& workbook) {
    auto app = CreateEmbeddedApplication();
    app->Workbooks()
        ->Open(utf8::fromPath(workbook))
        ->Worksheets()
        ->Item("利用状況表（保育短時間）")
        ->Range("C6")
        ->setValue("ﾔﾏﾀﾞ");
}

} // namespace

TEST(HostilePackage, TwoEntriesOfOneNameAreADamagedPackage) {
    testsupport::ScratchDir dir;
    const std::string decoy =
        R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData/></worksheet>)";
    for (const char* second : {"xl/worksheets/sheet1.xml", "XL/Worksheets/Sheet1.xml"}) {
        auto entries = testzip::entriesOf(fixture("form.xlsx"));
        entries.push_back(testzip::bytesEntry(second, decoy));
        fs::path twice = dir / "twice.xlsx";
        testzip::write(twice, entries);
        try {
            fillShortSheet(twice);
            ADD_FAILURE() << "opened with a second " << second;
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.description(),
                      std::string("このエンジンでは開けないブックです: twice.xlsx (zip "
                                  "パッケージが壊れています: 同じ名前の項目が"
                                  "2つあります ") +
                          second + ")");
        }
    }
}

TEST(HostilePackage, TheRebuiltPackageHoldsEachEntryOnce) {
    xlsx::XlsxPackage package(testsupport::readBytes(fixture("form.xlsx")), "form.xlsx");
    std::string rebuilt =
        package.build({{"XL/worksheets/SHEET1.xml", "<worksheet/>"}, {"xl/new.xml", "<new/>"}},
                      {"docProps/app.xml"});
    xlsx::XlsxPackage again(rebuilt, "again.xlsx");
    std::vector<std::string> names = package.entryNames();
    names.erase(std::find(names.begin(), names.end(), "docProps/app.xml"));
    names.erase(std::find(names.begin(), names.end(), "xl/worksheets/sheet1.xml"));
    names.push_back("xl/worksheets/sheet1.xml"); // replaced: stored anew at the end
    names.push_back("xl/new.xml");
    EXPECT_EQ(again.entryNames(), names);
    EXPECT_EQ(again.read("xl/worksheets/sheet1.xml"), "<worksheet/>");
    EXPECT_EQ(again.read("xl/styles.xml"), package.read("xl/styles.xml"));
}

// A replaced entry carries no time of the save (Excel's own 1980-01-01 00:00): the same edit gives
// the same bytes whenever and wherever it is made.
TEST(HostilePackage, AReplacedEntryCarriesNoTimeOfTheSave) {
    xlsx::XlsxPackage package(testsupport::readBytes(fixture("form.xlsx")), "form.xlsx");
    std::string rebuilt = package.build({{"xl/worksheets/sheet1.xml", "<worksheet/>"}}, {});
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(rebuilt.data(), rebuilt.size(), 0, &error);
    ASSERT_NE(source, nullptr);
    zip_t* z = zip_open_from_source(source, ZIP_RDONLY, &error);
    ASSERT_NE(z, nullptr);
    zip_stat_t st;
    ASSERT_EQ(zip_stat(z, "xl/worksheets/sheet1.xml", 0, &st), 0);
    std::tm local = *std::localtime(&st.mtime); // zip times are local times
    EXPECT_EQ(std::vector<int>({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                local.tm_hour, local.tm_min, local.tm_sec}),
              std::vector<int>({1980, 1, 1, 0, 0, 0}));
    zip_discard(z);
    zip_error_fini(&error);
}
