// A FIFO or a device named as the workbook (Windows has no FIFOs in folders).
#include "citylink/core/tests/session_fixture.h"
#include "citylink/core/tests/test_printers.h"
#include "testsupport/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace citylink_tests;
using ::testing::ElementsAre;

// The application never sees a FIFO or a device: its open would wait for ever. The check is the
// session's, so it holds for every backend.
TEST_F(Session, AWorkbookThatIsNoRegularFileIsRefusedByNameBeforeTheApplicationSeesIt) {
    testsupport::ScratchDir dir;
    const auto fifo = dir / "book.xlsx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    excel->registerIn(registry);
    for (const std::string& path : {fifo.string(), std::string("/dev/zero")}) {
        prompts.messages.clear();
        ASSERT_TRUE(session.xAppOpen());
        EXPECT_FALSE(session.ExcelFileOpen(path));
        EXPECT_THAT(prompts.messages,
                    ElementsAre(RecordedMessage{MsgIcon::Critical, "エラー",
                                                "EXCELファイルのオープンに失敗しました。\n「" +
                                                    path + "」は通常のファイルではありません。"}));
        EXPECT_FALSE(session.xlApp);
    }
    EXPECT_THAT(calls(), ::testing::Not(::testing::Contains(::testing::HasSubstr("Open"))));
}
