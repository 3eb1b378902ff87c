// The commit of a converted project under failure: an error at any one of its file operations,
// an error while undoing, and a kill at any point. Each leaves the project as it was before or
// fully converted, file by file, once the next run has recovered what the journal records.
#include "gridmover/core/pending_files.h"
#include "gridmover/core/project_conversion.h"
#include "gridmover/core/vb_project.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

using namespace gridmover;
using testsupport::readBytes;
using testsupport::ScratchDir;
namespace fs = std::filesystem;

namespace {

enum class Op { Stat, Link, Rename, Unlink, Chmod, Copy, Journal };

// The real operations, each first shown to a hook that may fail it (an errno value) or end the
// process there.
class HookedIo : public CommitIo {
public:
    std::function<int(Op, const fs::path&)> hook = [](Op, const fs::path&) { return 0; };
    // Stat of a file in this folder reports another device: the commit then copies beside the
    // originals instead of renaming the temporary files.
    std::optional<fs::path> otherDevice;
    int calls = 0;

    int Stat(const fs::path& f, FileStatus& st) override {
        if (int e = call(Op::Stat, f))
            return e;
        int r = SystemCommitIo().Stat(f, st);
        if (r == 0 && otherDevice && f.parent_path() == *otherDevice)
            st.device += 1;
        return r;
    }
    int Link(const fs::path& a, const fs::path& b) override {
        if (int e = call(Op::Link, a))
            return e;
        return SystemCommitIo().Link(a, b);
    }
    int Rename(const fs::path& a, const fs::path& b) override {
        if (int e = call(Op::Rename, a))
            return e;
        return SystemCommitIo().Rename(a, b);
    }
    int Unlink(const fs::path& f) override {
        if (int e = call(Op::Unlink, f))
            return e;
        return SystemCommitIo().Unlink(f);
    }
    int Chmod(const fs::path& f, unsigned m) override {
        if (int e = call(Op::Chmod, f))
            return e;
        return SystemCommitIo().Chmod(f, m);
    }
    int Copy(const fs::path& a, const fs::path& b) override {
        if (int e = call(Op::Copy, a))
            return e;
        return SystemCommitIo().Copy(a, b);
    }
    int WriteDurably(const fs::path& f, std::string_view t) override {
        if (int e = call(Op::Journal, f))
            return e;
        return SystemCommitIo().WriteDurably(f, t);
    }

private:
    int call(Op op, const fs::path& f) {
        ++calls;
        return hook(op, f);
    }
};

const fs::path kCase =
    testsupport::sourceDir() / "gridmover/core/tests/data/golden/dbgrid_to_lumatab80";

std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out[e.path().filename().string()] = readBytes(e.path());
    return out;
}

class Commit : public ::testing::Test {
protected:
    ScratchDir dir;
    const std::map<std::string, std::string> before = snapshot(kCase / "input");
    const std::map<std::string, std::string> after = snapshot(kCase / "expected");

    fs::path project() const { return dir / "p/Orders.vbp"; }
    fs::path journal() const { return CommitJournalFor(project()); }
    // A fresh copy of the project, converted into pending pairs in dir/tmp.
    void convert(modConvert& conv) {
        fs::remove_all(dir / "p");
        fs::copy(kCase / "input", dir / "p");
        ASSERT_EQ(ConvertProjectFiles(conv, ReadVbProject(project()), 1, 12).result, 1);
    }
    bool tempEmpty() const { return fs::is_empty(dir / "tmp"); }
    void SetUp() override { fs::create_directory(dir / "tmp"); }
};

} // namespace

TEST_F(Commit, AFailureAtAnyStepLeavesEveryOriginalAsItWas) {
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode == 0 ? "renamed into place" : mode == 1 ? "copied beside" : "EXDEV");
        bool reachedTheEnd = false;
        for (int k = 1; !reachedTheEnd && k < 400; ++k) {
            SCOPED_TRACE("operation " + std::to_string(k));
            FolderTempFiles temp(dir / "tmp");
            modConvert conv(&temp);
            convert(conv);
            HookedIo io;
            if (mode == 1)
                io.otherDevice = dir / "tmp";
            int n = 0;
            bool failed = false;
            io.hook = [&](Op op, const fs::path& f) {
                if (mode == 2 && op == Op::Rename && f.parent_path() == dir / "tmp")
                    return EXDEV;
                if (++n == k) {
                    failed = true;
                    return EIO;
                }
                return 0;
            };
            CommitResult r = CommitPendingFiles(conv, journal(), io);
            reachedTheEnd = !failed;
            EXPECT_TRUE(r.notRestored.empty());
            EXPECT_TRUE(tempEmpty());
            if (r.ok) {
                // A failure after every file was in place (removing a kept old content) only
                // leaves that file and the journal, which the next run clears.
                RecoverInterruptedCommit(journal());
                EXPECT_EQ(snapshot(dir / "p"), after);
            } else {
                EXPECT_FALSE(r.failedFile.empty());
                RecoverInterruptedCommit(journal());
                EXPECT_EQ(snapshot(dir / "p"), before);
            }
        }
        EXPECT_TRUE(reachedTheEnd);
    }
}

TEST_F(Commit, AnOriginalThatCannotBeRestoredIsNamedAndItsOldContentKept) {
    FolderTempFiles temp(dir / "tmp");
    modConvert conv(&temp);
    convert(conv);
    const fs::path first = conv.OriginalFiles[0];
    const fs::path third = conv.OriginalFiles[2];
    HookedIo io;
    io.hook = [&](Op op, const fs::path& f) {
        // The third file's new content does not go into place, and the first one's old content
        // does not go back.
        if (op == Op::Rename && f.parent_path() == dir / "tmp" && f == conv.TempFiles[2])
            return EACCES;
        if (op == Op::Rename && f == fs::path(first).concat(".gmold"))
            return EACCES;
        return 0;
    };
    const std::vector<fs::path> temps = conv.TempFiles;
    CommitResult r = CommitPendingFiles(conv, journal(), io);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failedFile, third);
    EXPECT_EQ(r.notRestored, std::vector<fs::path>{first});
    EXPECT_EQ(readBytes(fs::path(first).concat(".gmold")), before.at(first.filename().string()));
    EXPECT_TRUE(fs::exists(journal()));
    EXPECT_TRUE(tempEmpty());

    // The next run puts it back from what the journal records.
    Recovery rec = RecoverInterruptedCommit(journal());
    EXPECT_TRUE(rec.found);
    EXPECT_FALSE(rec.completed);
    EXPECT_EQ(rec.restored, std::vector<fs::path>{first});
    EXPECT_EQ(snapshot(dir / "p"), before);
    EXPECT_FALSE(RecoverInterruptedCommit(journal()).found);
}

// A kill (the process ends at once, nothing undone) before any one operation of the commit in
// turn; the next run's recovery leaves either the project as it was or all of it converted.
TEST_F(Commit, AKilledCommitIsRecoveredFileByFile) {
    bool sawBefore = false;
    bool sawAfter = false;
    for (int k = 1; k < 400; ++k) {
        SCOPED_TRACE("killed before operation " + std::to_string(k));
        fs::remove_all(dir / "tmp");
        fs::create_directory(dir / "tmp");
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            FolderTempFiles temp(dir / "tmp");
            modConvert conv(&temp);
            fs::remove_all(dir / "p");
            fs::copy(kCase / "input", dir / "p");
            if (ConvertProjectFiles(conv, ReadVbProject(project()), 1, 12).result != 1)
                ::_exit(2);
            HookedIo io;
            int n = 0;
            io.hook = [&](Op, const fs::path&) {
                if (++n == k)
                    ::_exit(9);
                return 0;
            };
            ::_exit(CommitPendingFiles(conv, journal(), io).ok ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        const int code = WEXITSTATUS(status);
        ASSERT_TRUE(code == 9 || code == 0) << code;
        Recovery rec = RecoverInterruptedCommit(journal());
        EXPECT_TRUE(rec.notRestored.empty());
        const auto now = snapshot(dir / "p");
        if (now == before)
            sawBefore = true;
        else if (now == after)
            sawAfter = true;
        else
            ADD_FAILURE() << "a project neither as before nor converted";
        if (code == 0)
            break; // the commit ran to its end before operation k
    }
    EXPECT_TRUE(sawBefore);
    EXPECT_TRUE(sawAfter);
}
