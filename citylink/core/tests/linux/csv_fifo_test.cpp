// A FIFO named as the month's CSV: refused by name, without waiting for a writer (Windows has
// no FIFOs in folders).
#include "citylink/core/tests/csv_import_fixture.h"
#include "citylink/core/tests/test_printers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace citylink;
using namespace citylink_tests;

TEST_F(CsvImport, AFifoIsRefusedByNameWithoutWaitingForAWriter) {
    const auto fifo = dir / "出席情報.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(importPath(fifo));
    const std::string name = "「" + fifo.string() + "」";
    EXPECT_EQ(prompts.messages,
              (std::vector<RecordedMessage>{{MsgIcon::None, "",
                                             "CSVの読み込みに失敗しました。\n" + name +
                                                 "は通常のファイルではありません。"}}));
    EXPECT_EQ(log.lines.back(), "ファイルではありません。" + name + "(75)");
    EXPECT_TRUE(table.empty());
}
