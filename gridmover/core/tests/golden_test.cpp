// Golden files: each folder under tests/data/golden holds a project tree (input/), the tree it
// must become (expected/) and "case.txt" with the source row, the target row and the expected
// result of the conversion ("1 12 1"). The project is converted into pending pairs, committed
// when the result is 1 and discarded otherwise, and the whole tree is compared byte for byte.
// GRIDMOVER_UPDATE_GOLDEN=1 writes the actual trees as expected/ (to be read and checked by eye).
#include "gridmover/core/pending_files.h"
#include "gridmover/core/project_conversion.h"
#include "gridmover/core/unified_diff.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

using namespace gridmover;
using testsupport::readBytes;
using testsupport::ScratchDir;
namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file()) {
            files[fs::relative(e.path(), root).generic_string()] = readBytes(e.path());
        }
    }
    return files;
}

fs::path goldenRoot() {
    return testsupport::sourceDir() / "gridmover/core/tests/data/golden";
}

class Golden : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(Golden, ConvertsToTheExpectedTree) {
    const fs::path caseDir = goldenRoot() / GetParam();
    int from = 0, to = 0, result = 0;
    {
        std::ifstream in(caseDir / "case.txt");
        ASSERT_TRUE(in >> from >> to >> result) << "case.txt of " << GetParam();
    }
    ScratchDir dir;
    fs::create_directory(dir / "tmp");
    fs::copy(caseDir / "input", dir / "p", fs::copy_options::recursive);
    fs::path vbp;
    for (const auto& e : fs::directory_iterator(dir / "p")) {
        if (e.path().extension() == ".vbp") {
            vbp = e.path();
        }
    }
    ASSERT_FALSE(vbp.empty());
    FolderTempFiles temp(dir / "tmp");
    modConvert conv(&temp);
    auto r = ConvertProjectFiles(conv, ReadVbProject(vbp), static_cast<std::int16_t>(from),
                                 static_cast<std::int16_t>(to));
    EXPECT_EQ(r.result, result) << r.failedFile;
    if (r.result == 1) {
        ASSERT_TRUE(CommitPendingFiles(conv).ok);
    } else {
        DiscardPendingFiles(conv);
    }
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));

    if (const char* u = std::getenv("GRIDMOVER_UPDATE_GOLDEN"); u && std::string(u) == "1") {
        fs::remove_all(caseDir / "expected");
        fs::copy(dir / "p", caseDir / "expected", fs::copy_options::recursive);
        GTEST_SKIP() << "expected tree written";
    }
    auto actual = tree(dir / "p");
    auto expected = tree(caseDir / "expected");
    for (const auto& [name, bytes] : expected) {
        auto it = actual.find(name);
        if (it == actual.end()) {
            ADD_FAILURE() << "missing " << name;
            continue;
        }
        EXPECT_TRUE(it->second == bytes)
            << name << " differs:\n"
            << UnifiedDiff(bytes, it->second, "expected/" + name, "actual/" + name);
    }
    for (const auto& [name, bytes] : actual) {
        EXPECT_TRUE(expected.count(name)) << "unexpected file " << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn([] {
                             std::vector<std::string> names;
                             for (const auto& e : fs::directory_iterator(goldenRoot())) {
                                 if (e.is_directory()) {
                                     names.push_back(e.path().filename().string());
                                 }
                             }
                             std::sort(names.begin(), names.end());
                             return names;
                         }()),
                         [](const auto& info) { return info.param; });
