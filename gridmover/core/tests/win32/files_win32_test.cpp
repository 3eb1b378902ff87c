// The migration's file handling on Windows (under Wine in CI): temporary names as the platform's
// own function forms them, a project written with backslashes, a drive letter and CP932 file
// names, replacing originals that another program holds open, and the recovery of a commit that
// was interrupted.
#include "gridmover/core/grid_version.h"
#include "gridmover/core/pending_files.h"
#include "gridmover/core/project_conversion.h"
#include "gridmover/core/project_folder.h"
#include "gridmover/core/temp_files.h"
#include "gridmover/core/vb_project.h"

#include "foundation/cp932.h"
#include "foundation/platform/win32/windows_include.h"
// windows.h names the A function GetTempPath too; the test means the class's own.
#undef GetTempPath
#include "foundation/utf8_path.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace gridmover;
using testsupport::readBytes;
using testsupport::ScratchDir;
using testsupport::writeBytes;
namespace fs = std::filesystem;

namespace {

std::string upper(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

const std::string kModule = "Attribute VB_Name = \"M\"\r\nDim c As MSDBGrid.Column\r\n";

// A file held open by another program, as an editor or a virus scanner holds it.
struct HeldOpen {
    HANDLE h;
    HeldOpen(const fs::path& file, DWORD share)
        : h(CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() {
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
};

} // namespace

TEST(TempFilesWin32, NamesAreThoseOfTheSystemsFunctionInItsFolder) {
    char folder[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathA(sizeof folder, folder), 0u);
    auto system = SystemTempFolder();
    ASSERT_TRUE(system);
    EXPECT_EQ(fs::path(*system), fs::path(folder));

    ScratchDir dir;
    // The name the system's function forms for a number is ours, letter case aside: Wine writes
    // "12lbeef.tmp" where Windows documents "12lBEEF.TMP".
    char formed[MAX_PATH] = {};
    ASSERT_NE(GetTempFileNameA(utf8::fromPath(dir.path()).c_str(), "12l", 0xBEEF, formed), 0u);
    const fs::path ours = TempFileNamed(dir.path(), "12lt5", 0xBEEF);
    EXPECT_EQ(upper(utf8::fromPath(ours)), upper(formed));
    EXPECT_EQ(utf8::fromPath(ours.filename()), "12lBEEF.TMP");

    // The run's own folder lies in the system's temporary folder and goes with the run.
    fs::path run;
    {
        FolderTempFiles temp;
        auto p = temp.GetTempPath();
        ASSERT_TRUE(p);
        run = *p;
        EXPECT_EQ(run.parent_path(), system->parent_path());
        auto created = temp.CreateTempFile(run, "0lt5");
        ASSERT_TRUE(created);
        EXPECT_EQ(upper(utf8::fromPath(created->path.filename())).substr(0, 3), "0LT");
    }
    EXPECT_FALSE(fs::exists(run));
}

TEST(ProjectWin32, BackslashesADriveLetterAndJapaneseFileNames) {
    LoadGridVersions();
    ScratchDir dir;
    const std::string gamen = "\xE7\x94\xBB\xE9\x9D\xA2";  // 画面
    const std::string kyotsu = "\xE5\x85\xB1\xE9\x80\x9A"; // 共通
    const fs::path golden = testsupport::sourceDir() / "gridmover/core/tests/data/golden/japanese";
    fs::create_directories(dir / gamen);
    fs::create_directories(dir / kyotsu);
    fs::create_directories(dir / "shared");
    fs::copy_file(golden / "input/frmMeisai.frm", dir / (gamen + "\\frmMeisai.frm"));
    fs::copy_file(golden / "input/frmMeisai.frx", dir / (gamen + "\\frmMeisai.frx"));
    writeBytes(dir / (kyotsu + "\\mod" + kyotsu + ".bas"), kModule);
    writeBytes(dir / "shared\\modC.bas", kModule);
    // A module outside the folder by its whole path, as VB6 writes it: drive letter, backslashes.
    const std::string absolute = utf8::fromPath(fs::absolute(dir / "shared\\modC.bas"));
    ASSERT_EQ(absolute[1], ':');
    const std::string vbp = "Type=Exe\r\nObject={00028C01-0000-0000-0000-000000000046}#1.0#0; "
                            "DBGRID32.OCX\r\nForm=" +
                            gamen + "\\frmMeisai.frm\r\nModule=mod" + kyotsu + "; " + kyotsu +
                            "\\mod" + kyotsu + ".bas\r\nModule=modC; " + absolute +
                            "\r\nName=\"P\"\r\n";
    writeBytes(dir / "P.vbp", cp932::fromUtf8(vbp));

    const VbProject project = ReadVbProject(dir / "P.vbp");
    ASSERT_EQ(project.components.size(), 3u);
    ASSERT_EQ(project.components[0].files.size(), 2u);
    EXPECT_TRUE(fs::equivalent(project.components[0].files[1], dir / (gamen + "\\frmMeisai.frx")));
    ASSERT_EQ(project.codeFiles.size(), 2u);
    EXPECT_TRUE(fs::equivalent(project.codeFiles[0], dir / (kyotsu + "\\mod" + kyotsu + ".bas")));
    EXPECT_TRUE(fs::equivalent(project.codeFiles[1], dir / "shared\\modC.bas"));
    const auto outside = FilesOutsideProject(project);
    ASSERT_EQ(outside.size(), 0u) << "the scratch folder holds the project and shared/";

    fs::create_directory(dir / "tmp");
    FolderTempFiles temp(dir / "tmp");
    modConvert conv(&temp);
    auto r = ConvertProjectFiles(conv, project, 1, 12);
    ASSERT_EQ(r.result, 1) << utf8::fromPath(r.failedFile) << ": " << r.detail;
    ASSERT_TRUE(CommitPendingFiles(conv).ok);
    // The form as the golden case's expected tree has it, the modules converted.
    EXPECT_EQ(readBytes(dir / (gamen + "\\frmMeisai.frm")),
              readBytes(golden / "expected/frmMeisai.frm"));
    EXPECT_EQ(readBytes(dir / (gamen + "\\frmMeisai.frx")),
              readBytes(golden / "expected/frmMeisai.frx"));
    EXPECT_NE(readBytes(dir / (kyotsu + "\\mod" + kyotsu + ".bas")).find("Lumatab80.Column"),
              std::string::npos);
    EXPECT_NE(readBytes(dir / "shared\\modC.bas").find("Lumatab80.Column"), std::string::npos);
}

TEST(CommitWin32, ReplacesOriginalsOpenForReadingAndRefusesOnesLockedAgainstIt) {
    LoadGridVersions();
    ScratchDir dir;
    fs::create_directory(dir / "tmp");
    writeBytes(dir / "A.bas", kModule);
    writeBytes(dir / "B.bas", kModule);
    FolderTempFiles temp(dir / "tmp");
    {
        // Open with everything shared (reading, writing, deleting): the commit goes through.
        HeldOpen reader(dir / "A.bas", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        ASSERT_NE(reader.h, INVALID_HANDLE_VALUE);
        modConvert conv(&temp);
        ASSERT_EQ(conv.ConvertCodeFile(dir / "A.bas", 1, 12), 1);
        auto result = CommitPendingFiles(conv, dir / "P.vbp.gmjournal");
        ASSERT_TRUE(result.ok) << result.message;
    }
    EXPECT_NE(readBytes(dir / "A.bas").find("Lumatab80"), std::string::npos);
    {
        // Open by a program that lets no one delete or rename it: all or nothing, nothing here.
        writeBytes(dir / "A.bas", kModule);
        HeldOpen locker(dir / "B.bas", FILE_SHARE_READ);
        ASSERT_NE(locker.h, INVALID_HANDLE_VALUE);
        modConvert conv(&temp);
        ASSERT_EQ(conv.ConvertCodeFile(dir / "A.bas", 1, 12), 1);
        ASSERT_EQ(conv.ConvertCodeFile(dir / "B.bas", 1, 12), 1);
        auto result = CommitPendingFiles(conv, dir / "P.vbp.gmjournal");
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.notRestored.empty());
        EXPECT_EQ(readBytes(dir / "A.bas"), kModule);
        EXPECT_EQ(readBytes(dir / "B.bas"), kModule);
    }
    // What the lock kept from being removed (a second name of the locked file) goes with the next
    // run's recovery, which the journal asks for.
    RecoverInterruptedCommit(dir / "P.vbp.gmjournal");
    EXPECT_EQ(readBytes(dir / "A.bas"), kModule);
    EXPECT_EQ(readBytes(dir / "B.bas"), kModule);
    std::string files;
    for (const auto& e : fs::directory_iterator(dir.path())) {
        files += e.is_regular_file() ? utf8::fromPath(e.path().filename()) + " " : "";
    }
    EXPECT_EQ(files, "A.bas B.bas "); // no journal, no kept old content, no copy
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

TEST(CommitWin32, AnInterruptedCommitIsRolledBackByTheNextRun) {
    ScratchDir dir;
    const std::string newer = "Attribute VB_Name = \"M\"\r\nDim c As Lumatab80.Column\r\n";
    // What a commit killed after its first swap leaves: the new content in place, the old one
    // beside it, the journal naming the original.
    writeBytes(dir / "M.bas", newer);
    writeBytes(dir / "M.bas.gmold", kModule);
    writeBytes(dir / "N.bas", kModule);
    writeBytes(dir / "N.bas.gmnew", newer);
    writeBytes(dir / "P.vbp.gmjournal", "gridmover commit journal 1\n" +
                                            utf8::fromPath(dir / "M.bas") + "\n" +
                                            utf8::fromPath(dir / "N.bas") + "\n");
    const Recovery r = RecoverInterruptedCommit(dir / "P.vbp.gmjournal");
    EXPECT_TRUE(r.found);
    EXPECT_FALSE(r.completed);
    ASSERT_EQ(r.restored.size(), 1u);
    EXPECT_EQ(readBytes(dir / "M.bas"), kModule);
    EXPECT_EQ(readBytes(dir / "N.bas"), kModule);
    EXPECT_FALSE(fs::exists(dir / "M.bas.gmold"));
    EXPECT_FALSE(fs::exists(dir / "N.bas.gmnew"));
    EXPECT_FALSE(fs::exists(dir / "P.vbp.gmjournal"));
}
