// Hostile projects and hostile machines: files that never end or never open, files that are no
// VB6 source, files outside the project, mounts a rename cannot cross, a full disk, and a run
// killed half-way. Each makes its hostile file itself.
#include "gridmover/core/file_access.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/pending_files.h"
#include "gridmover/core/project_conversion.h"
#include "gridmover/core/project_folder.h"
#include "gridmover/core/run_folder.h"
#include "gridmover/core/source_kind.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace gridmover;
using testsupport::readBytes;
using testsupport::ScratchDir;
using testsupport::writeBytes;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const std::string kModule = "Attribute VB_Name = \"M\"\r\nDim c As MSDBGrid.Column\r\n";
const std::string kConvertedModule = "Attribute VB_Name = \"M\"\r\n"
                                     "'*** Orvel Migration Utility Code Change ***\r\n"
                                     "'Dim c As MSDBGrid.Column\r\nDim c As Lumatab80.Column\r\n";
const std::string kForm = "VERSION 5.00\r\nBegin VB.Form F \r\n   Begin MSDBGrid.DBGrid G \r\n"
                          "      OleObjectBlob   =   \"F.frx\":0000\r\n   End\r\nEnd\r\n"
                          "Attribute VB_Name = \"F\"\r\n";
const std::string kProjectHead =
    "Type=Exe\r\nObject={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX\r\n";

std::string randomBytes(std::size_t n) {
    std::mt19937 gen(8);
    std::string s(n, '\0');
    for (char& c : s) {
        c = static_cast<char>(gen());
    }
    return s;
}

// Every file below folder whose name ends in suffix.
std::vector<fs::path> filesEndingIn(const fs::path& folder, const std::string& suffix) {
    std::vector<fs::path> found;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            found.push_back(e.path());
        }
    }
    return found;
}

// A mount made by the test, undone before the scratch folder is removed.
class TestMount {
public:
    TestMount(const char* source, const fs::path& target, const char* type, unsigned long flags,
              const char* options)
        : target_(target) {
        mounted_ = ::mount(source, target.c_str(), type, flags, options) == 0;
    }
    ~TestMount() {
        if (mounted_) {
            ::umount2(target_.c_str(), MNT_DETACH);
        }
    }
    bool mounted() const { return mounted_; }

private:
    fs::path target_;
    bool mounted_ = false;
};

class Hostile : public ::testing::Test {
protected:
    void SetUp() override {
        LoadGridVersions();
        fs::create_directories(dir / "tmp");
        fs::create_directories(dir / "p");
    }
    bool tempEmpty() const { return fs::is_empty(dir / "tmp"); }

    ScratchDir dir;
    FolderTempFiles temp{dir / "tmp"};
    modConvert conv{&temp};
};

} // namespace

TEST_F(Hostile, OnlyRegularFilesUpToTheLimitAreRead) {
    // A pipe is refused at once (no writer is waited for), a device behind a link too.
    ASSERT_EQ(::mkfifo((dir / "pipe.frm").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", dir / "zero.frx");
    for (const char* name : {"pipe.frm", "zero.frx"}) {
        try {
            ReadFileBytes(dir / name);
            ADD_FAILURE() << name << " was read";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(e.what(), (dir / name).string() + ": not a regular file");
        }
    }
    // Just at the limit it reads; one byte more is refused, also through an opened file.
    const fs::path big = dir / "big.frm";
    { std::ofstream(big) << ""; }
    fs::resize_file(big, kMaxFileBytes);
    EXPECT_EQ(ReadFileBytes(big).size(), kMaxFileBytes);
    fs::resize_file(big, kMaxFileBytes + 1);
    EXPECT_THROW(ReadFileBytes(big), std::runtime_error);
    OpenedFile opened;
    ASSERT_TRUE(opened.Open(big));
    std::string into;
    try {
        opened.ReadAllAndClose(big, into);
        ADD_FAILURE() << "an oversized file was read";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(e.what(), big.string() + ": larger than 64 MB");
    }
}

TEST_F(Hostile, FilesThatNeverEndOrNeverOpenFailTheConverterNamingThem) {
    ASSERT_EQ(::mkfifo((dir / "p/Pipe.frm").c_str(), 0644), 0);
    writeBytes(dir / "p/F.frm", kForm);
    fs::create_symlink("/dev/zero", dir / "p/F.frx");
    fs::create_symlink("/dev/urandom", dir / "p/U.frm");
    writeBytes(dir / "p/U.frx", std::string(24, '\0'));
    EXPECT_EQ(conv.ConvertFormFile(dir / "p/F.frm", dir / "p/F.frx", 1, 12), kFailed);
    EXPECT_EQ(conv.LastError, (dir / "p/F.frx").string() + ": not a regular file");
    EXPECT_EQ(conv.ConvertFormFile(dir / "p/U.frm", dir / "p/U.frx", 1, 12), kFailed);
    EXPECT_EQ(conv.LastError, (dir / "p/U.frm").string() + ": not a regular file");
    EXPECT_EQ(conv.ConvertFormFile(dir / "p/Pipe.frm", dir / "p/U.frx", 1, 12), kFailed);
    EXPECT_EQ(conv.LastError, (dir / "p/Pipe.frm").string() + ": not a regular file");
    EXPECT_TRUE(conv.TempFiles.empty());
    EXPECT_TRUE(tempEmpty());
}

TEST(SourceKind, ExtensionsAndTheTextOfEachKind) {
    EXPECT_EQ(SourceKindOf("a/B.FRM"), SourceKind::Designer);
    EXPECT_EQ(SourceKindOf("x.Ctl"), SourceKind::Designer);
    EXPECT_EQ(SourceKindOf("x.dsr"), SourceKind::ActiveX);
    EXPECT_EQ(SourceKindOf("x.bas"), SourceKind::Module);
    EXPECT_EQ(SourceKindOf("x.cls"), SourceKind::Class);
    EXPECT_EQ(SourceKindOf("x.vbp"), SourceKind::Project);
    EXPECT_EQ(SourceKindOf("x.FRX"), SourceKind::Binary);
    EXPECT_EQ(SourceKindOf("passwd"), std::nullopt);
    EXPECT_EQ(SourceKindOf("x.frm.bak"), std::nullopt);

    struct Case {
        SourceKind kind;
        std::string text;
        bool ok;
    };
    const std::vector<Case> cases{
        {SourceKind::Designer, kForm, true},
        {SourceKind::Designer, "\r\nVERSION 5.00\nObject = \"x\"\nBegin VB.UserControl U\n", true},
        {SourceKind::Designer, "VERSION 5.00\r\nAttribute VB_Name = \"F\"\r\n", false},
        {SourceKind::Designer, "VERSIONS 5.00\r\nBegin VB.Form F\r\n", false},
        {SourceKind::Designer, "Attribute VB_Name = \"F\"\r\nBegin VB.Form F\r\n", false},
        {SourceKind::Designer, "VERSION 5.00\r\nBegin VB.Form F\r\n\0"s, false},
        {SourceKind::ActiveX, "VERSION 5.00\r\nBegin {C0E45035-5775-11D0-B388-00A0C9055D8E} D\r\n",
         true},
        {SourceKind::ActiveX, "Attribute VB_Name = \"D\"\r\n", true},
        {SourceKind::ActiveX, "root:x:0:0:root:/root:/bin/bash\n", false},
        {SourceKind::Module, kModule, true},
        {SourceKind::Module, "", false},
        {SourceKind::Module, "Dim c As MSDBGrid.Column\r\n", false},
        {SourceKind::Class, "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1\r\nEND\r\n", true},
        {SourceKind::Class, "Option Explicit\r\n", false},
        {SourceKind::Project, kProjectHead, true},
        {SourceKind::Project, "Form=a.frm\r\n[x]\r\nType=Exe\r\n", false},
        {SourceKind::Binary, randomBytes(100), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SourceTextMismatch(c.kind, c.text).empty(), c.ok) << c.text;
    }
    EXPECT_FALSE(SourceTextMismatch(SourceKind::Designer, randomBytes(200'000)).empty());
}

TEST_F(Hostile, FilesThatAreNoVb6SourceFailTheRunNamingThem) {
    // Random bytes as a form, a form's name for a module, a file that is no source at all.
    writeBytes(dir / "p/R.frm", randomBytes(200'000));
    writeBytes(dir / "p/R.frx", std::string(24, '\0'));
    writeBytes(dir / "p/F.frm", kForm);
    writeBytes(dir / "p/F.frx", std::string(24, '\0'));
    writeBytes(dir / "p/G.frm", kForm);
    writeBytes(dir / "p/M.bas", kModule);
    writeBytes(dir / "p/notes.txt", kModule);
    struct Case {
        std::string entry;
        std::string failed;
        std::string why;
    };
    const std::vector<Case> cases{
        {"Form=R.frm\r\n", "R.frm", "not a VB6 form, user control, property page or user document"},
        {"Form=F.frm\r\nModule=M; G.frm\r\n", "G.frm", "not a VB6 module or class module"},
        {"Form=F.frm\r\nModule=N; notes.txt\r\n", "notes.txt", "(by its extension)"},
    };
    for (const auto& c : cases) {
        writeBytes(dir / "p/P.vbp", kProjectHead + c.entry);
        ProjectConversion r = ConvertProjectFiles(conv, ReadVbProject(dir / "p/P.vbp"), 1, 12);
        EXPECT_EQ(r.result, kFailed) << c.entry;
        EXPECT_EQ(r.failedFile, dir / ("p/" + c.failed)) << c.entry;
        EXPECT_NE(conv.LastError.find((dir / ("p/" + c.failed)).string()), std::string::npos)
            << conv.LastError;
        EXPECT_NE(conv.LastError.find(c.why), std::string::npos) << conv.LastError;
        DiscardPendingFiles(conv);
    }
    EXPECT_EQ(readBytes(dir / "p/M.bas"), kModule);
    EXPECT_TRUE(tempEmpty());
}

TEST_F(Hostile, FilesOutsideTheProjectAreListedAndTouchedOnlyWhenAllowed) {
    // Up and out by "..", by an absolute path, through a folder that is a link out, and a file
    // that is a link out; one module inside and one link that stays inside.
    fs::create_directories(dir / "shared");
    fs::create_directories(dir / "elsewhere");
    fs::create_directories(dir / "p/sub");
    writeBytes(dir / "shared/Up.bas", kModule);
    writeBytes(dir / "shared/Abs.bas", kModule);
    writeBytes(dir / "shared/Real.bas", kModule);
    writeBytes(dir / "elsewhere/F.frm", kForm);
    writeBytes(dir / "elsewhere/F.frx", std::string(24, '\0'));
    fs::create_directory_symlink(dir / "elsewhere", dir / "p/out");
    fs::create_symlink("../shared/Real.bas", dir / "p/Link.bas");
    writeBytes(dir / "p/sub/In.bas", kModule);
    fs::create_symlink("sub/In.bas", dir / "p/InLink.bas");
    writeBytes(dir / "p/P.vbp", kProjectHead + "Form=out\\F.frm\r\n" +
                                    "Module=Up; sub\\..\\..\\shared\\Up.bas\r\n" + "Module=Abs; " +
                                    (dir / "shared/Abs.bas").string() + "\r\n" +
                                    "Module=Link; Link.bas\r\nModule=In; sub\\In.bas\r\n" +
                                    "Module=InLink; InLink.bas\r\n");
    const VbProject project = ReadVbProject(dir / "p/P.vbp");
    const fs::path real = fs::canonical(dir.path());
    const std::vector<fs::path> outside = FilesOutsideProject(project);
    EXPECT_EQ(outside, (std::vector<fs::path>{real / "elsewhere/F.frm", real / "elsewhere/F.frx",
                                              real / "shared/Up.bas", real / "shared/Abs.bas",
                                              real / "shared/Real.bas"}));

    // Not allowed: the run fails at the first of them, nothing pending, nothing changed.
    ProjectConversion r = ConvertProjectFiles(conv, project, 1, 12);
    EXPECT_EQ(r.result, kFailed);
    EXPECT_EQ(r.failedFile, dir / "p/out/F.frm");
    EXPECT_EQ(r.detail, (real / "elsewhere/F.frm").string() + ": outside the project's folder");
    EXPECT_TRUE(conv.TempFiles.empty());
    // Allowed but for one: that one fails the run.
    r = ConvertProjectFiles(conv, project, 1, 12, {},
                            std::vector<fs::path>(outside.begin(), outside.end() - 1));
    EXPECT_EQ(r.result, kFailed);
    EXPECT_EQ(r.failedFile, dir / "p/Link.bas");
    DiscardPendingFiles(conv);
    EXPECT_EQ(readBytes(dir / "shared/Up.bas"), kModule);

    // Allowed: converted where they are; a link stays a link and its file is converted.
    r = ConvertProjectFiles(conv, project, 1, 12, {}, outside);
    ASSERT_EQ(r.result, kChanged) << r.detail;
    ASSERT_TRUE(CommitPendingFiles(conv).ok);
    for (const char* f : {"shared/Up.bas", "shared/Abs.bas", "shared/Real.bas", "p/sub/In.bas"}) {
        EXPECT_EQ(readBytes(dir / f), kConvertedModule) << f;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "p/Link.bas"));
    EXPECT_TRUE(fs::is_symlink(dir / "p/InLink.bas"));
    EXPECT_NE(readBytes(dir / "elsewhere/F.frm").find("Lumatab80"), std::string::npos);
    EXPECT_TRUE(filesEndingIn(dir.path(), ".gmold").empty());
    EXPECT_TRUE(tempEmpty());
}

TEST_F(Hostile, ASystemFileNamedByTheProjectIsNeverRewritten) {
    // What "Module=Pw; ../../../etc/passwd" does, on a copy in the scratch folder.
    fs::create_directories(dir / "etc");
    const std::string passwd = "root:x:0:0:root:/root:/bin/bash\nDim c As MSDBGrid.Column\n";
    writeBytes(dir / "etc/passwd", passwd);
    writeBytes(dir / "p/F.frm", kForm);
    writeBytes(dir / "p/F.frx", std::string(24, '\0'));
    writeBytes(dir / "p/P.vbp", kProjectHead + "Form=F.frm\r\nModule=Pw; ..\\..\\..\\..\\..\\..\\" +
                                    dir.path().relative_path().string() + "/etc/passwd\r\n");
    const VbProject project = ReadVbProject(dir / "p/P.vbp");
    const std::vector<fs::path> outside = FilesOutsideProject(project);
    ASSERT_EQ(outside, std::vector<fs::path>{fs::canonical(dir / "etc/passwd")});
    EXPECT_EQ(ConvertProjectFiles(conv, project, 1, 12).result, kFailed);
    DiscardPendingFiles(conv);
    // Even when the user lets it through, it is no module.
    ProjectConversion r = ConvertProjectFiles(conv, project, 1, 12, {}, outside);
    EXPECT_EQ(r.result, kFailed);
    EXPECT_NE(r.detail.find("not a VB6 module"), std::string::npos) << r.detail;
    DiscardPendingFiles(conv);
    EXPECT_EQ(readBytes(dir / "etc/passwd"), passwd);
    EXPECT_TRUE(filesEndingIn(dir.path(), ".gmold").empty());
    EXPECT_TRUE(tempEmpty());
}

TEST_F(Hostile, ABindMountOfTheTemporaryFoldersFileSystemIsCommittedByCopying) {
    // The mount looks like the same device as the temporary folder, yet no rename crosses it.
    fs::create_directories(dir / "real");
    fs::create_directories(dir / "mnt");
    TestMount bind((dir / "real").c_str(), dir / "mnt", nullptr, MS_BIND, nullptr);
    if (!bind.mounted()) {
        GTEST_SKIP() << "cannot make a bind mount here (needs root)";
    }
    writeBytes(dir / "mnt/A.bas", kModule);
    writeBytes(dir / "mnt/B.bas", kModule);
    ASSERT_EQ(conv.ConvertCodeFile(dir / "mnt/A.bas", 1, 12), kChanged);
    ASSERT_EQ(conv.ConvertCodeFile(dir / "mnt/B.bas", 1, 12), kChanged);
    CommitResult c = CommitPendingFiles(conv);
    ASSERT_TRUE(c.ok) << c.message;
    EXPECT_EQ(readBytes(dir / "mnt/A.bas"), kConvertedModule);
    EXPECT_EQ(readBytes(dir / "mnt/B.bas"), kConvertedModule);
    EXPECT_EQ(filesEndingIn(dir / "real", "").size(), 2u);
    EXPECT_TRUE(tempEmpty());

    // The copy for the second file fails (its name is taken by a folder that is not ours): the
    // first goes back, the second keeps its content, and no second name is left behind.
    writeBytes(dir / "mnt/A.bas", kModule);
    writeBytes(dir / "mnt/B.bas", kModule);
    fs::create_directories(dir / "mnt/B.bas.gmnew/keep");
    ASSERT_EQ(conv.ConvertCodeFile(dir / "mnt/A.bas", 1, 12), kChanged);
    ASSERT_EQ(conv.ConvertCodeFile(dir / "mnt/B.bas", 1, 12), kChanged);
    c = CommitPendingFiles(conv);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.failedFile, dir / "mnt/B.bas");
    EXPECT_EQ(readBytes(dir / "mnt/A.bas"), kModule);
    EXPECT_EQ(readBytes(dir / "mnt/B.bas"), kModule);
    EXPECT_TRUE(filesEndingIn(dir / "real", ".gmold").empty());
    EXPECT_TRUE(fs::exists(dir / "mnt/B.bas.gmnew/keep"));
    EXPECT_TRUE(tempEmpty());
}

TEST_F(Hostile, AFullDiskLeavesNoFileOfTheCommitBehind) {
    fs::create_directories(dir / "small");
    TestMount tmpfs("gridmover-test", dir / "small", "tmpfs", 0, "size=256k");
    if (!tmpfs.mounted()) {
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    }
    // Converted, each module grows; the disk has room for the originals only.
    std::string big = "Attribute VB_Name = \"M\"\r\n";
    while (big.size() < 60'000) {
        big += "Dim c As MSDBGrid.Column\r\n";
    }
    writeBytes(dir / "small/A.bas", big);
    writeBytes(dir / "small/B.bas", big);
    {
        int fd = ::open((dir / "small/filler").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
        // Room for part of one copy: the copy fails half-way.
        fs::resize_file(dir / "small/filler", fs::file_size(dir / "small/filler") - 40'000);
    }
    ASSERT_EQ(conv.ConvertCodeFile(dir / "small/A.bas", 1, 12), kChanged);
    ASSERT_EQ(conv.ConvertCodeFile(dir / "small/B.bas", 1, 12), kChanged);
    CommitResult c = CommitPendingFiles(conv);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(readBytes(dir / "small/A.bas"), big);
    EXPECT_EQ(readBytes(dir / "small/B.bas"), big);
    EXPECT_TRUE(filesEndingIn(dir / "small", ".gmnew").empty());
    EXPECT_TRUE(filesEndingIn(dir / "small", ".gmold").empty());
    EXPECT_TRUE(tempEmpty());
}

TEST(RunFolder, NamesCarryTheProcess) {
    EXPECT_EQ(RunFolderName(4711), "gridmover-4711");
    EXPECT_EQ(RunFolderProcess("gridmover-4711"), 4711);
    for (const char* other : {"gridmover-", "gridmover-12a", "gridmover-0", "grid-12",
                              "gridmover-12345678901", "0lt1234.TMP"}) {
        EXPECT_EQ(RunFolderProcess(other), -1) << other;
    }
}

TEST_F(Hostile, AKilledRunsTemporaryFilesAreRemovedByTheNextRun) {
    writeBytes(dir / "p/F.frm", kForm);
    writeBytes(dir / "p/F.frx", std::string(24, '\0'));
    writeBytes(dir / "p/M.bas", kModule);
    writeBytes(dir / "p/P.vbp", kProjectHead + "Form=F.frm\r\nModule=M; M.bas\r\n");
    const char* saved = std::getenv("TMPDIR");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);

    // The child stops itself once the form is converted; then it is killed there.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("GRIDMOVER_PAUSE_AT", "converted", 1);
        FolderTempFiles system;
        modConvert c(&system);
        ConvertProjectFiles(c, ReadVbProject(dir / "p/P.vbp"), 1, 12);
        ::_exit(3); // never here: the hook stopped the process and it was killed
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
    ASSERT_TRUE(WIFSTOPPED(status)) << "the child ended before the step: " << status;
    const fs::path childFolder = dir / "tmp" / RunFolderName(child);
    EXPECT_EQ(filesEndingIn(childFolder, ".TMP").size(), 2u);
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(fs::exists(childFolder));

    // A running process's folder and other names stay; the dead one's goes with the next run.
    const fs::path liveFolder = dir / "tmp" / RunFolderName(1);
    fs::create_directory(liveFolder);
    writeBytes(dir / "tmp/0lt1234.TMP", "");
    {
        FolderTempFiles next;
        auto folder = next.GetTempPath();
        ASSERT_TRUE(folder);
        EXPECT_EQ(*folder, dir / "tmp" / RunFolderName(::getpid()));
        EXPECT_TRUE(fs::is_directory(*folder));
        EXPECT_FALSE(fs::exists(childFolder));
        EXPECT_TRUE(fs::exists(liveFolder));
    }
    EXPECT_FALSE(fs::exists(dir / "tmp" / RunFolderName(::getpid())));
    EXPECT_TRUE(fs::exists(dir / "tmp/0lt1234.TMP"));
    if (saved != nullptr) {
        ::setenv("TMPDIR", savedValue.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}
