// Handing the filled workbook over: the desktop opens it, or the clerk is told where it is.
#include "citylink/ui/filled_workbook_opener.h"

#include "citylink/core/program_caption.h"
#include "foundation/testing/scripted_prompts.h"

#include <gtest/gtest.h>

#include <vector>

namespace fs = std::filesystem;

TEST(FilledWorkbookOpener, TheDesktopOpensTheFileOrTheClerkLearnsWhereItIs) {
    ScriptedPrompts prompts;
    std::vector<QUrl> asked;
    bool desktopCan = true;
    auto opener = filledWorkbookOpener(
        prompts, [] { return citylink::programCaption(); },
        [&](const QUrl& url) {
            asked.push_back(url);
            return desktopCan;
        });
    const fs::path saved(u8"/home/園/時間外保育利用状況表_記入済 (2).xlsx");

    opener(saved);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].toLocalFile(),
              QString::fromUtf8("/home/園/時間外保育利用状況表_記入済 (2).xlsx"));
    EXPECT_TRUE(prompts.messages.empty());

    // No application for workbooks: the finish message alone would send the clerk looking for a
    // window that never opens.
    desktopCan = false;
    opener(saved);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0],
              (RecordedMessage{MsgIcon::Information, citylink::programCaption(),
                               "記入済みのブックを次のファイルに保存しました。\n"
                               "/home/園/時間外保育利用状況表_記入済 (2).xlsx"}));
}
