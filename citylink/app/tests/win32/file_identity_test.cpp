// Windows looks file names up without letter case: "FORM.XLSX" is "Form.xlsx", whether the file
// exists yet or not.
#include "citylink/app/file_identity.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

TEST(FileIdentity, LetterCaseNamesNoOtherFile) {
    testsupport::ScratchDir dir;
    testsupport::writeBytes(dir / "Form.xlsx", "x");
    EXPECT_TRUE(citylink::sameFile(dir / "FORM.XLSX", dir / "Form.xlsx"));
    EXPECT_TRUE(citylink::sameFile(dir / "札幌市連携時間設定.ini", dir / "札幌市連携時間設定.INI"));
    EXPECT_FALSE(citylink::sameFile(dir / "Form2.xlsx", dir / "Form.xlsx"));
}
