// A pipe where the project names a file: refused at once, never waited for (it would wait for a
// writer), and nothing is left in the temporary folder.
#include "gridmover/core/grid_version.h"
#include "gridmover/core/mod_convert.h"
#include "gridmover/core/pending_files.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace gridmover;
namespace fs = std::filesystem;

TEST(ConvertFilesLinux, APipeInPlaceOfAFileFailsNamingIt) {
    LoadGridVersions();
    testsupport::ScratchDir dir;
    fs::create_directory(dir / "tmp");
    FolderTempFiles temp{dir / "tmp"};
    modConvert conv{&temp};
    ASSERT_EQ(::mkfifo((dir / "Pipe.bas").c_str(), 0444), 0);
    EXPECT_EQ(conv.ConvertCodeFile(dir / "Pipe.bas", 1, 12), -1);
    EXPECT_EQ(conv.LastError, (dir / "Pipe.bas").string() + ": not a regular file");
    DiscardPendingFiles(conv);
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}
