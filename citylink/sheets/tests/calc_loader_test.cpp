// The programs' loader of the Calc module: the built module found and used on a real office, and a
// missing module answered as "not installed" with the reason, with nothing started.
#include "citylink/sheets/calc/calc_loader.h"
#include "foundation/utf8_path.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace sheets;
namespace fs = std::filesystem;

namespace {

const std::string kShort = "利用状況表（保育短時間）";

} // namespace

TEST(CalcModuleMissing, IsNotInstalledWithTheLoadersReasonAndCreatesNothing) {
    testsupport::ScratchDir dir;
    const fs::path file = dir / "citylink-calc.so";
    CalcModuleLoader loader(file);
    EXPECT_FALSE(loader.installed());
    EXPECT_FALSE(loader.showsWindows());
    // The system loader's own words, naming the file.
    EXPECT_NE(loader.reason().find(file.string()), std::string::npos) << loader.reason();

    CalcOfficePtr office = loader.privateOffice(std::chrono::seconds(1));
    ASSERT_TRUE(office);
    EXPECT_FALSE(office->isUserOffice());
    EXPECT_EQ(office->processId(), 0);
    EXPECT_TRUE(loader.userOffice(std::chrono::seconds(1))->isUserOffice());
    try {
        loader.createApplication(office, {});
        FAIL() << "an application without a module";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), errors::kCannotCreateObject);
        EXPECT_NE(std::string(e.what()).find(loader.reason()), std::string::npos) << e.what();
    }
}

TEST(CalcModuleMissing, AFileThatIsNoModuleIsNotInstalled) {
    testsupport::ScratchDir dir;
    const fs::path file = dir / "citylink-calc.so";
    testsupport::writeBytes(file, "not a shared object");
    CalcModuleLoader loader(file);
    EXPECT_FALSE(loader.installed());
    EXPECT_FALSE(loader.reason().empty());
}

TEST(CalcModuleBuilt, DrivesARealOfficeThroughTheModule) {
    CalcModuleLoader loader(SUITE_CALC_MODULE);
    ASSERT_TRUE(loader.installed()) << loader.reason();
    EXPECT_EQ(loader.reason(), "");

    testsupport::ScratchDir dir;
    const fs::path book = dir / "form.xlsx";
    fs::copy_file(testsupport::sourceDir() / "citylink/sheets/tests/data/form.xlsx", book);
    long pid = 0;
    {
        CalcOfficePtr office = loader.privateOffice(std::chrono::seconds(60));
        ApplicationPtr app = loader.createApplication(office, {});
        auto sheet = app->Workbooks()->Open(utf8::fromPath(book))->Worksheets()->Item(kShort);
        sheet->Range("D6")->setValue("2019");
        EXPECT_EQ(sheet->Range("D6")->Value(), "2019");
        pid = office->processId();
        EXPECT_GT(pid, 0);
        // An office error comes back as the layer's error, across the module's boundary.
        EXPECT_THROW(app->Workbooks()->Open(utf8::fromPath(dir / "missing.xlsx")), AutomationError);
        app->Quit();
    }
    // The private office ends with its last reference; the workbook was never written.
    EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0);
    EXPECT_EQ(
        testsupport::readBytes(book),
        testsupport::readBytes(testsupport::sourceDir() / "citylink/sheets/tests/data/form.xlsx"));
}
