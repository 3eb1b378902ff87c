// The run button end to end: a CSV and the city's workbook chosen in the dialogs, the embedded
// engine as the spreadsheet application, the filled copy beside the workbook.
#include "citylink/sheets/embedded_engine.h"
#include "run_test.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using RunButton = RunTest;

TEST_F(RunButton, FillsTheChosenWorkbookAndHandsOverTheFilledCopy) {
    std::vector<fs::path> opened;
    sheets::EmbeddedEngineOptions engine;
    engine.opener = [&](const fs::path& saved) { opened.push_back(saved); };
    sheets::RegisterEmbeddedEngine(registry, engine);
    ASSERT_NO_FATAL_FAILURE(openSeeded());
    Window& w = *window;

    const fs::path csv =
        writeExport("2019/3/4,りす組,7,2016/08/05,2歳,女,保育短時間,阿部　葵,あべ　あおい,出席,"
                    "7:45,16:20,0,0,\r\n"
                    "2019/3/5,りす組,7,2016/08/05,2歳,女,保育短時間,阿部　葵,あべ　あおい,出席,"
                    "08:10,15:00,0,0,\r\n");
    const fs::path book = copyCityWorkbook();

    prompts.fileChoices = {csv.string()};
    w.cmdCSV選択->click();
    ASSERT_TRUE(w.Cmd連携->isEnabled());
    prompts.messages.clear();
    prompts.fileChoices = {book.string()};
    w.Opt大阪市[0]->setChecked(true);
    w.Cmd連携->click();

    ASSERT_EQ(w.lastRunOutcome(), citylink::RunOutcome::Finished);
    ASSERT_EQ(prompts.fileRequests.size(), 2u);
    EXPECT_EQ(prompts.fileRequests[1].title,
              "貼付先設定 保育短時間用の時間外保育利用状況表を選択してください");
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.messages.back().text,
              "データの貼りつけを終了しました。確認して保存を行ってください。");
    const fs::path filled = work / "時間外保育利用状況表_記入済.xlsx";
    EXPECT_TRUE(fs::exists(filled));
    EXPECT_EQ(opened, std::vector<fs::path>{filled});
    EXPECT_FALSE(w.isBusy());
    EXPECT_TRUE(w.lblMsg->text().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // What the run wrote, read back from the filled file.
    auto app = sheets::CreateEmbeddedApplication();
    auto sheet =
        app->Workbooks()->Open(filled.string())->Worksheets()->Item("利用状況表（保育短時間）");
    EXPECT_EQ(sheet->Range("C6")->Value(), "アベ　アオイ");
    EXPECT_EQ(sheet->Range("D6")->Value(), "2016");
    EXPECT_EQ(sheet->Range("F6")->Value(), "8");
    EXPECT_EQ(sheet->Range("AA6")->Value(), "7"); // day 4: 07:45 early
    EXPECT_EQ(sheet->Range("AA7")->Value(), "45");
    EXPECT_EQ(sheet->Range("AA8")->Value(), "16");
    EXPECT_EQ(sheet->Range("AA9")->Value(), "20");
    EXPECT_EQ(sheet->Range("AB6")->Value(), ""); // day 5 inside the band
    app->Quit();
}
