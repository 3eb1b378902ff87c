// The system's temporary folder ($TMPDIR) going away while a run uses it, and coming back.
#include "gridmover/core/grid_version.h"
#include "gridmover/core/mod_convert.h"
#include "gridmover/core/pending_files.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace gridmover;
using testsupport::ScratchDir;
using testsupport::writeBytes;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const std::string kForm =
    "VERSION 5.00\r\n"
    "Object = \"{00028C01-0000-0000-0000-000000000046}#1.0#0\"; \"DBGRID32.OCX\"\r\n"
    "Begin VB.Form Form1 \r\n"
    "   Begin MSDBGrid.DBGrid DBGrid1 \r\n"
    "      OleObjectBlob   =   \"Form1.frx\":0010\r\n"
    "   End\r\n"
    "End\r\n"
    "Attribute VB_Name = \"Form1\"\r\n";
// 16 bytes before the record at 0x10; the record: 4 bytes, length 1, 16 bytes, one data byte.
const std::string kFrx =
    std::string(16, '\x7F') + "LB\r\0"s + "\x01\0\0\0"s + std::string(16, '\x11') + "x";

} // namespace

TEST(ConvertFilesLinux, ASystemTemporaryFolderThatGoesAwayIsNamedAsMissing) {
    LoadGridVersions();
    ScratchDir dir;
    fs::create_directory(dir / "tmp");
    // The system's folder is remembered between files; gone, it is reported as before, and
    // found again once it is back.
    const char* saved = std::getenv("TMPDIR");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    auto system = std::make_unique<FolderTempFiles>();
    modConvert c2(system.get());
    writeBytes(dir / "Form1.frm", kForm);
    writeBytes(dir / "Form1.frx", kFrx);
    EXPECT_EQ(c2.ConvertFormFile(dir / "Form1.frm", dir / "Form1.frx", 1, 12), 1);
    DiscardPendingFiles(c2);
    fs::remove_all(dir / "tmp");
    EXPECT_EQ(c2.ConvertFormFile(dir / "Form1.frm", dir / "Form1.frx", 1, 12), -1);
    EXPECT_EQ(c2.LastError, "no temporary folder");
    fs::create_directory(dir / "tmp");
    EXPECT_EQ(c2.ConvertFormFile(dir / "Form1.frm", dir / "Form1.frx", 1, 12), 1);
    DiscardPendingFiles(c2);
    system.reset(); // the run's own folder goes with it
    if (saved != nullptr) {
        ::setenv("TMPDIR", savedValue.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}
