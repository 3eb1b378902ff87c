#include "gridmover/core/grid_version.h"
#include "gridmover/core/pending_files.h"
#include "gridmover/core/project_conversion.h"
#include "gridmover/core/vb_project.h"

#include "foundation/cp932.h"
#include "foundation/utf8_path.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace gridmover;
using testsupport::ScratchDir;
using testsupport::u8path;
using testsupport::writeBytes;
namespace fs = std::filesystem;

// The paths of a project read on Linux (drive letters through the Wine prefix):
// tests/linux/project_linux_test.cpp.

TEST(VbProject, ABackslashAfterAJapaneseFolderNameSeparates) {
    // In UTF-8 the last byte of "通" looks like a CP932 lead byte: the "\\" after it is still a
    // separator, whichever folder name comes before it.
    ScratchDir dir;
    const std::string kyotsu = "\xE5\x85\xB1\xE9\x80\x9A"; // 共通
    fs::create_directories(dir / kyotsu);
    writeBytes(dir / (kyotsu + "/M.bas"), "Attribute VB_Name = \"M\"\r\n");
    writeBytes(dir / "P.vbp", cp932::fromUtf8("Type=Exe\r\nModule=M; " + kyotsu + "\\M.bas\r\n"));
    const VbProject p = ReadVbProject(dir / "P.vbp");
    ASSERT_EQ(p.codeFiles.size(), 1u);
    EXPECT_TRUE(fs::is_regular_file(p.codeFiles[0])) << utf8::fromPath(p.codeFiles[0]);
}

TEST(VbProject, TheBinaryFileADesignerRefersToIsTakenAndAMissingOneFailsTheRun) {
    // Two forms with grids; the second one's .frx is gone. Leaving that form out would move the
    // project to the new grid with one form still on the old one: the conversion must fail on it,
    // name the missing file, and leave nothing pending.
    ScratchDir dir;
    LoadGridVersions();
    const std::string form = "VERSION 5.00\r\n"
                             "Object = \"{00028C01-0000-0000-0000-000000000046}#1.0#0\"; "
                             "\"DBGRID32.OCX\"\r\n"
                             "Begin VB.Form F \r\n"
                             "   Begin MSDBGrid.DBGrid G \r\n"
                             "      OleObjectBlob   =   \"X.frx\":0000\r\n"
                             "   End\r\n"
                             "End\r\n";
    std::string record(24, '\0');
    writeBytes(dir / "A.frm", form);
    writeBytes(dir / "A.frx", record);
    writeBytes(dir / "B.frm", form);
    writeBytes(dir / "C.frm", "VERSION 5.00\r\nBegin VB.Form C \r\nEnd\r\n"); // needs no .frx
    // A designer renamed outside VB6 still refers to its old companion, which is taken.
    writeBytes(dir / "D.frm", form);
    writeBytes(dir / "x.FRX", record);
    writeBytes(dir / "P.vbp", "Type=Exe\r\nObject={00028C01-0000-0000-0000-000000000046}#1.0#0; "
                              "DBGRID32.OCX\r\nForm=D.frm\r\n");
    EXPECT_EQ(ReadVbProject(dir / "P.vbp").components[0].files,
              (std::vector<fs::path>{dir / "D.frm", dir / "x.FRX"}));

    writeBytes(dir / "P.vbp", "Type=Exe\r\nObject={00028C01-0000-0000-0000-000000000046}#1.0#0; "
                              "DBGRID32.OCX\r\nForm=A.frm\r\nForm=B.frm\r\nForm=C.frm\r\n");
    fs::remove(dir / "x.FRX");
    VbProject p = ReadVbProject(dir / "P.vbp");
    ASSERT_EQ(p.components.size(), 3u);
    EXPECT_EQ(p.components[1].files, (std::vector<fs::path>{dir / "B.frm", dir / "B.frx"}));
    EXPECT_EQ(p.components[2].files.size(), 1u);

    fs::create_directory(dir / "tmp");
    FolderTempFiles temp(dir / "tmp");
    modConvert conv(&temp);
    ProjectConversion r = ConvertProjectFiles(conv, p, 1, 12);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.failedFile, dir / "B.frm");
    EXPECT_NE(r.detail.find("B.frx"), std::string::npos) << r.detail;
    DiscardPendingFiles(conv);
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
    EXPECT_EQ(testsupport::readBytes(dir / "A.frm"), form);
}

TEST(VbProject, AFileListedTwiceBecomesOnePendingPairAtMost) {
    // Form2 was copied from Form1 outside VB6 and still reads Form1's .frx: converting both would
    // make two copies of one file, and committing the second would drop the first one's patches.
    ScratchDir dir;
    LoadGridVersions();
    std::string form = "VERSION 5.00\r\nBegin VB.Form F \r\n   Begin MSDBGrid.DBGrid G \r\n"
                       "      OleObjectBlob   =   \"Form1.frx\":0000\r\n   End\r\nEnd\r\n";
    writeBytes(dir / "Form1.frm", form);
    writeBytes(dir / "Form2.frm", form);
    writeBytes(dir / "Form1.frx", std::string(24, '\0'));
    writeBytes(dir / "M.bas", "Attribute VB_Name = \"M\"\r\nDim c As MSDBGrid.Column\r\n");
    const std::string head = "Type=Exe\r\nObject={00028C01-0000-0000-0000-000000000046}#1.0#0; "
                             "DBGRID32.OCX\r\nForm=Form1.frm\r\n";
    fs::create_directory(dir / "tmp");
    FolderTempFiles temp(dir / "tmp");

    writeBytes(dir / "P.vbp", head + "Form=Form2.frm\r\n");
    modConvert conv(&temp);
    ProjectConversion r = ConvertProjectFiles(conv, ReadVbProject(dir / "P.vbp"), 1, 12);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.failedFile, dir / "Form2.frm");
    EXPECT_NE(r.detail.find("Form1.frx"), std::string::npos) << r.detail;
    DiscardPendingFiles(conv);

    // The same module under other names is converted once: another letter case, a symbolic
    // link to it, and a path through a linked folder.
    fs::create_symlink("M.bas", dir / "L.bas");
    fs::create_directory_symlink(".", dir / "here");
    writeBytes(dir / "P.vbp", head +
                                  "Module=M; M.bas\r\nModule=M2; .\\m.BAS\r\nModule=M3; L.bas\r\n"
                                  "Module=M4; here\\M.bas\r\n");
    r = ConvertProjectFiles(conv, ReadVbProject(dir / "P.vbp"), 1, 12);
    EXPECT_EQ(r.result, 1) << r.detail;
    EXPECT_EQ(conv.OriginalFiles.size(), 4u); // form, .frx, module, project
    ASSERT_TRUE(CommitPendingFiles(conv).ok);
    EXPECT_EQ(testsupport::readBytes(dir / "M.bas"),
              "Attribute VB_Name = \"M\"\r\n"
              "'*** Orvel Migration Utility Code Change ***\r\n'Dim c As MSDBGrid.Column\r\n"
              "Dim c As Lumatab80.Column\r\n");
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}
