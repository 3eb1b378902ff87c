// The paths of a project's entries as Linux finds them: drive letters through the Wine prefix's
// drive folders, "\\" as the separator, CP932 names as UTF-8 file names.
#include "gridmover/core/vb_project.h"

#include "foundation/cp932.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace gridmover;
using testsupport::ScratchDir;
using testsupport::u8path;
using testsupport::writeBytes;
namespace fs = std::filesystem;

TEST(VbProject, ComponentsCodeFilesAndTheirPaths) {
    ScratchDir dir;
    fs::create_directories(dir / "proj");
    fs::create_directories(dir / "shared");
    fs::create_directories(dir / "wine/dosdevices/d:/lib");
    writeBytes(dir / "proj/Main.frm", "VERSION 5.00\r\nBegin VB.Form Main\r\nEnd\r\n"
                                      "Attribute VB_Name = \"frmMain\"\r\n");
    writeBytes(dir / "proj/MAIN.FRX", "bin");
    writeBytes(dir / "proj/Plain.frm", "Attribute VB_Name = \"Plain\"\r\n");
    writeBytes(dir / "shared/Util.bas", "");
    writeBytes(dir / "wine/dosdevices/d:/lib/Far.cls", "");
    writeBytes(dir / "abs.bas", "");
    writeBytes(dir / "proj" / u8path("帳票.bas"), "");
    const std::string vbp = "Type=Exe\r\n"
                            "Form=Main.frm\r\n"
                            "Form=plain.FRM\r\n"
                            "Module=Util; ..\\shared\\Util.bas\r\n"
                            "Class=Far; D:\\lib\\Far.cls\r\n"
                            "Module=Abs; " +
                            (dir / "abs.bas").string() +
                            "\r\n"
                            "Module=Chohyo; " +
                            cp932::fromUtf8("帳票.bas") +
                            "\r\n"
                            "Name=\"P\"\r\n"
                            "[MS Transaction Server]\r\n"
                            "Form=NotAComponent.frm\r\n";
    writeBytes(dir / "proj/P.vbp", vbp);
    const char* oldPrefix = std::getenv("WINEPREFIX");
    std::string saved = oldPrefix ? oldPrefix : "";
    setenv("WINEPREFIX", (dir / "wine").c_str(), 1);
    VbProject p = ReadVbProject(dir / "proj/P.vbp");
    if (oldPrefix) {
        setenv("WINEPREFIX", saved.c_str(), 1);
    } else {
        unsetenv("WINEPREFIX");
    }
    ASSERT_EQ(p.components.size(), 6u);
    EXPECT_EQ(p.components[0].name, "frmMain");
    EXPECT_EQ(p.components[0].files,
              (std::vector<fs::path>{dir / "proj/Main.frm", dir / "proj/MAIN.FRX"}));
    EXPECT_EQ(p.components[1].files, std::vector<fs::path>{dir / "proj/Plain.frm"});
    ASSERT_EQ(p.codeFiles.size(), 4u);
    EXPECT_EQ(fs::weakly_canonical(p.codeFiles[0]), dir / "shared/Util.bas");
    EXPECT_EQ(p.codeFiles[1], dir / "wine/dosdevices/d:/lib/Far.cls");
    EXPECT_EQ(p.codeFiles[2], dir / "abs.bas"); // taken as it is, not joined to the folder
    EXPECT_EQ(p.codeFiles[3], dir / "proj" / u8path("帳票.bas"));
    EXPECT_EQ(p.components[2].name, "Util");
    EXPECT_THROW(ReadVbProject(dir / "none.vbp"), std::runtime_error);
}
