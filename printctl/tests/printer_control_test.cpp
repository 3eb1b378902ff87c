// The printer-settings class with a fake printer system, a scripted message double and a scratch
// data folder: listing, choosing, the settings file's bytes, and the failures.
#include "foundation/cp932.h"
#include "foundation/testing/scripted_prompts.h"
#include "printctl/printctl.h"
#include "printctl/qt_list_controls.h"
#include "printctl/testing/fake_printer_system.h"
#include "testsupport/test_files.h"

#include <QComboBox>
#include <QListWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using printctl::Clsプリンタ制御;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class PrinterControlTest : public ::testing::Test {
protected:
    PrinterControlTest() {
        printers->printers = {"Office Laser", "pdf", "事務室-カラー"};
        printers->defaultPrinter = "pdf";
    }

    std::unique_ptr<Clsプリンタ制御> make(std::string program = "demo") {
        std::string folder = scratch.path().string() + "/";
        auto prt = std::make_unique<Clsプリンタ制御>(
            Clsプリンタ制御::Services{printers, prompts, [folder] { return folder; }, {}});
        prt->プログラム名(program);
        return prt;
    }
    fs::path settings(std::string_view program = "demo") const {
        return scratch / (std::string(program) + ".txt");
    }

    testsupport::ScratchDir scratch;
    std::shared_ptr<printctl::testing::FakePrinterSystem> printers =
        std::make_shared<printctl::testing::FakePrinterSystem>();
    std::shared_ptr<ScriptedPrompts> prompts = std::make_shared<ScriptedPrompts>();
    QComboBox box;
    printctl::ComboBoxList list{&box};
};

TEST_F(PrinterControlTest, WithoutPrintersTheMessageShowsAndTheFileStaysUntouched) {
    printers->printers.clear();
    printers->defaultPrinter.clear();
    writeBytes(settings(), "\"Office Laser\",1,2,3,4\r\n");
    auto prt = make();
    prt->余白上(7);

    EXPECT_FALSE(prt->Prt_List(list));

    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0],
              (RecordedMessage{MsgIcon::Critical, "制御エラー",
                               "プリンタが登録されていません。プリンタの追加を行って下さい。"}));
    EXPECT_EQ(readBytes(settings()), "\"Office Laser\",1,2,3,4\r\n");
    EXPECT_EQ(prt->余白上(), 7); // not loaded
    EXPECT_EQ(box.count(), 0);
}

TEST_F(PrinterControlTest, ListsInTheSystemsOrderAndChoosesTheDefaultWithoutASettingsFile) {
    auto prt = make();
    ASSERT_TRUE(prt->Prt_List(list));
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(list.List(0), "Office Laser");
    EXPECT_EQ(list.List(2), "事務室-カラー");
    EXPECT_EQ(list.Text(), "pdf");
    EXPECT_TRUE(prompts->messages.empty());
    EXPECT_FALSE(fs::exists(settings())); // listing writes nothing

    // A second call adds every printer again; the list is the caller's.
    ASSERT_TRUE(prt->Prt_List(list));
    EXPECT_EQ(box.count(), 6);
    EXPECT_EQ(list.List(3), "Office Laser");
}

TEST_F(PrinterControlTest, ChoosesTheSavedPrinterWithBlanksAroundItsNameAndLoadsTheMargins) {
    writeBytes(settings(), cp932::fromUtf8("\"  事務室-カラー \",10,12.5,0.1,-3\r\n"));
    auto prt = make();
    ASSERT_TRUE(prt->Prt_List(list));
    EXPECT_EQ(list.Text(), "事務室-カラー");
    EXPECT_EQ(prt->余白上(), 10);
    EXPECT_EQ(prt->余白下(), 12.5);
    EXPECT_EQ(prt->余白左(), 0.1);
    EXPECT_EQ(prt->余白右(), -3);
}

TEST_F(PrinterControlTest, AGonePrinterKeepsTheDefaultButItsMarginsLoad) {
    writeBytes(settings(), "\"Removed Printer\",5,6,7,8\r\n");
    auto prt = make();
    ASSERT_TRUE(prt->Prt_List(list));
    EXPECT_EQ(list.Text(), "pdf");
    EXPECT_EQ(prt->余白上(), 5);
    EXPECT_EQ(prt->余白右(), 8);
}

TEST_F(PrinterControlTest, TheSavedNameMatchesOnlyWithTheSameLetterCase) {
    writeBytes(settings(), "\"office laser\",1,1,1,1\r\n");
    auto prt = make();
    ASSERT_TRUE(prt->Prt_List(list));
    EXPECT_EQ(list.Text(), "pdf");
}

TEST_F(PrinterControlTest, AnEmptySettingsFileChangesNothing) {
    writeBytes(settings(), "");
    auto prt = make();
    prt->余白左(4.5);
    ASSERT_TRUE(prt->Prt_List(list));
    EXPECT_EQ(list.Text(), "pdf");
    EXPECT_EQ(prt->余白左(), 4.5);
}

TEST_F(PrinterControlTest, WithoutAProgramNameTheFileIsTheDataFolderAndTxt) {
    printers->defaultPrinter = "Office Laser";
    auto prt = make("");
    ASSERT_TRUE(prt->Prt_List(list));
    EXPECT_EQ(prt->SettingsFilePath(), scratch.path().string() + "/.txt");
    ASSERT_TRUE(prt->Prt_Save(list));
    EXPECT_EQ(readBytes(scratch / ".txt"), "\"Office Laser\",0,0,0,0\r\n");
}

TEST_F(PrinterControlTest, MarginsRoundTripExactlyAsBytesAndValues) {
    struct Case {
        double top, bottom, left, right;
        std::string line;
    };
    const Case cases[] = {
        {0.1, 12.5, 1E-05, 123456789012345, "\"事務室-カラー\",0.1,12.5,1E-05,123456789012345\r\n"},
        {-2.25, 0.0001, 1E+15, -0.5, "\"事務室-カラー\",-2.25,0.0001,1E+15,-0.5\r\n"},
        {25.4, 1.0 / 3, 100, 0, "\"事務室-カラー\",25.4,0.333333333333333,100,0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QComboBox fresh;
        printctl::ComboBoxList freshList(&fresh);
        auto prt = make();
        ASSERT_TRUE(prt->Prt_List(freshList));
        freshList.Text("事務室-カラー");
        prt->余白上(c.top);
        prt->余白下(c.bottom);
        prt->余白左(c.left);
        prt->余白右(c.right);
        ASSERT_TRUE(prt->Prt_Save(freshList));
        // The name in CP932, as the Windows programs read it.
        std::string expected = c.line;
        expected.replace(1, std::string("事務室-カラー").size(),
                         "\x8E\x96\x96\xB1\x8E\xBA-\x83\x4A\x83\x89\x81\x5B");
        EXPECT_EQ(readBytes(settings()), expected);

        QComboBox again;
        printctl::ComboBoxList againList(&again);
        auto reader = make();
        ASSERT_TRUE(reader->Prt_List(againList));
        EXPECT_EQ(againList.Text(), "事務室-カラー");
        if (c.bottom == 1.0 / 3) {
            EXPECT_EQ(reader->余白下(), 0.333333333333333); // the 15 digits that were saved
        } else {
            EXPECT_EQ(reader->余白下(), c.bottom);
        }
        EXPECT_EQ(reader->余白上(), c.top);
        EXPECT_EQ(reader->余白左(), c.left);
        EXPECT_EQ(reader->余白右(), c.right);
    }
}

TEST_F(PrinterControlTest, ASaveThatCannotWriteShowsTheMessageAndKeepsTheEarlierFile) {
    if (::geteuid() == 0) {
        // Root writes into any folder whose mode says read-only; /proc takes no new file at all.
        auto prt = std::make_unique<Clsプリンタ制御>(
            Clsプリンタ制御::Services{printers, prompts, [] { return std::string("/proc/"); }, {}});
        ASSERT_TRUE(prt->Prt_List(list));
        EXPECT_FALSE(prt->Prt_Save(list));
        ASSERT_EQ(prompts->messages.size(), 1u);
        EXPECT_EQ(prompts->messages[0], (RecordedMessage{MsgIcon::Critical, "更新エラー",
                                                         "プリンタ名の保存に失敗しました。"}));
        return;
    }
    writeBytes(settings(), "\"pdf\",1,2,3,4\r\n");
    auto prt = make();
    ASSERT_TRUE(prt->Prt_List(list));
    list.Text("Office Laser");
    ::chmod(scratch.path().c_str(), 0555);
    bool saved = prt->Prt_Save(list);
    ::chmod(scratch.path().c_str(), 0755);
    EXPECT_FALSE(saved);
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0], (RecordedMessage{MsgIcon::Critical, "更新エラー",
                                                     "プリンタ名の保存に失敗しました。"}));
    EXPECT_EQ(readBytes(settings()), "\"pdf\",1,2,3,4\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

TEST_F(PrinterControlTest, ASaveIntoAMissingFolderOrOfAnUnstorableNameFailsWithTheMessage) {
    // A folder that is missing (or is a file) cannot take the settings.
    writeBytes(scratch / "notafolder", "");
    auto prt = std::make_unique<Clsプリンタ制御>(Clsプリンタ制御::Services{
        printers, prompts, [this] { return (scratch / "notafolder").string() + "/"; }, {}});
    ASSERT_TRUE(prt->Prt_List(list));
    EXPECT_FALSE(prt->Prt_Save(list));

    // A name the file cannot hold: it would not read back (a quote ends the name early).
    QComboBox editable;
    editable.setEditable(true);
    printctl::ComboBoxList typed(&editable);
    auto other = make();
    writeBytes(settings(), "\"pdf\",1,2,3,4\r\n");
    typed.Text("my \"best\" printer");
    EXPECT_FALSE(other->Prt_Save(typed));
    typed.Text("プリンタ🖨");
    EXPECT_FALSE(other->Prt_Save(typed));
    other->余白上(std::numeric_limits<double>::infinity());
    typed.Text("pdf");
    EXPECT_FALSE(other->Prt_Save(typed));

    EXPECT_EQ(prompts->messages.size(), 4u);
    for (const auto& message : prompts->messages)
        EXPECT_EQ(message.title, "更新エラー");
    EXPECT_EQ(readBytes(settings()), "\"pdf\",1,2,3,4\r\n");
}

TEST_F(PrinterControlTest, AProgramNameWithAPathNeitherReadsNorWritesOutsideTheDataFolder) {
    // The data folder is a subfolder; its parent holds files of the same names.
    fs::create_directory(scratch / "dat");
    auto make = [this](const std::string& program) {
        std::string folder = (scratch / "dat").string() + "/";
        auto prt = std::make_unique<Clsプリンタ制御>(
            Clsプリンタ制御::Services{printers, prompts, [folder] { return folder; }, {}});
        prt->プログラム名(program);
        return prt;
    };
    writeBytes(scratch / "x.txt", "\"Office Laser\",1,2,3,4\r\n");
    fs::create_directory(scratch / "dat" / "sub");
    for (const std::string& program : std::vector<std::string>{
             "../x", "..\\x", "sub/x", "sub\\x", std::string("x\0", 2), "/tmp/printctl-x"}) {
        SCOPED_TRACE(program);
        prompts->messages.clear();
        QComboBox box2;
        printctl::ComboBoxList list2(&box2);
        auto prt = make(program);
        ASSERT_TRUE(prt->Prt_List(list2)); // as without a settings file
        EXPECT_EQ(list2.Text(), "pdf");
        EXPECT_EQ(prt->余白上(), 0);
        prt->余白上(9);
        EXPECT_FALSE(prt->Prt_Save(list2));
        ASSERT_EQ(prompts->messages.size(), 1u);
        EXPECT_EQ(prompts->messages[0].title, "更新エラー");
    }
    EXPECT_EQ(readBytes(scratch / "x.txt"), "\"Office Laser\",1,2,3,4\r\n");
    EXPECT_TRUE(fs::is_empty(scratch / "dat" / "sub"));
    EXPECT_FALSE(fs::exists("/tmp/printctl-x.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch / "dat"), fs::directory_iterator()), 1);

    // Dots alone stay inside the folder: they are kept as names.
    auto dots = make("..");
    ASSERT_TRUE(dots->Prt_Save(list));
    EXPECT_TRUE(fs::exists(scratch / "dat" / "...txt"));
}

TEST_F(PrinterControlTest, AReadOnlySettingsFileStaysAsItIs) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write read-only files";
    writeBytes(settings(), "\"pdf\",1,2,3,4\r\n");
    ::chmod(settings().c_str(), 0444);
    auto prt = make();
    ASSERT_TRUE(prt->Prt_List(list));
    EXPECT_FALSE(prt->Prt_Save(list));
    EXPECT_EQ(readBytes(settings()), "\"pdf\",1,2,3,4\r\n");
}

TEST_F(PrinterControlTest, ASaveKeepsTheFilesPermissionsAndLeavesNoTemporaryFile) {
    writeBytes(settings(), "\"pdf\",1,2,3,4\r\n");
    ::chmod(settings().c_str(), 0640);
    auto prt = make();
    ASSERT_TRUE(prt->Prt_List(list));
    prt->余白上(9);
    ASSERT_TRUE(prt->Prt_Save(list));
    EXPECT_EQ(readBytes(settings()), "\"pdf\",9,2,3,4\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(settings().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

TEST_F(PrinterControlTest, AMalformedSettingsFileRaisesTheLibrarysErrorAfterListing) {
    const char* broken[] = {
        "\"pdf\",1,2,3\r\n",     // a margin missing
        "\"pdf\",1,2,x,4\r\n",   // not a number
        "\"pdf,1,2,3,4\r\n",     // no closing quote
        "\r\n",                  // an empty line
        "\"\x81\",1,2,3,4\r\n",  // not CP932
        "\"pdf\",1,2,3,inf\r\n", // no writer produces it
    };
    for (const char* bytes : broken) {
        SCOPED_TRACE(bytes);
        writeBytes(settings(), bytes);
        QComboBox fresh;
        printctl::ComboBoxList freshList(&fresh);
        auto prt = make();
        try {
            prt->Prt_List(freshList);
            ADD_FAILURE() << "no error";
        } catch (const printctl::SettingsFileError& e) {
            EXPECT_EQ(e.file(), settings().string());
            EXPECT_FALSE(e.problem().empty());
        }
        EXPECT_EQ(fresh.count(), 3); // the printers are listed before the file is read
        EXPECT_EQ(readBytes(settings()), bytes);
    }
}

TEST_F(PrinterControlTest, ReadsWhatTheWindowsProgramsWriteAndIgnoresWhatFollowsTheLine) {
    // An unquoted name, blanks around fields, a plus sign and a leading point are read as the
    // Windows reader reads them; a second line is not looked at.
    writeBytes(settings(), "Office Laser , +1.5, .25 ,1e-05,2\r\nrest\r\n");
    auto prt = make();
    ASSERT_TRUE(prt->Prt_List(list));
    EXPECT_EQ(list.Text(), "Office Laser");
    EXPECT_EQ(prt->余白上(), 1.5);
    EXPECT_EQ(prt->余白下(), 0.25);
    EXPECT_EQ(prt->余白左(), 1e-05);
    EXPECT_EQ(prt->余白右(), 2);
}

TEST_F(PrinterControlTest, PropertiesGoToTheChosenPrinterWithTheOwnerWindow) {
    std::vector<std::int64_t> owners;
    auto prt = std::make_unique<Clsプリンタ制御>(
        Clsプリンタ制御::Services{printers, prompts, [] { return std::string("/nonexistent/"); },
                                  [&owners](std::int64_t id) { owners.push_back(id); }});
    prt->FormNum(4242);
    ASSERT_TRUE(prt->Prt_List(list));
    list.Text("Office Laser");
    prt->Prt_Property(list);
    ASSERT_EQ(printers->propertiesShown.size(), 1u);
    EXPECT_EQ(printers->propertiesShown[0],
              std::make_pair(std::int64_t{4242}, std::string("Office Laser")));
    EXPECT_EQ(owners, std::vector<std::int64_t>{4242});
}

TEST(ListWidgetListTest, ChoosesByExactTextAndReadsTheCurrentEntry) {
    QListWidget widget;
    printctl::ListWidgetList list(&widget);
    EXPECT_EQ(list.Text(), "");
    list.AddItem("a");
    list.AddItem("B");
    EXPECT_EQ(list.ListCount(), 2);
    EXPECT_EQ(list.List(1), "B");
    EXPECT_EQ(list.List(2), "");
    list.Text("b");
    EXPECT_EQ(list.Text(), "");
    list.Text("B");
    EXPECT_EQ(list.Text(), "B");
    EXPECT_TRUE(widget.item(1)->isSelected());
}

TEST(ComboBoxListTest, AFixedListKeepsItsChoiceForAnUnknownText) {
    auto* box = new QComboBox;
    printctl::ComboBoxList list(box);
    list.AddItem("Alpha");
    list.AddItem("alpha");
    list.Text("alpha");
    EXPECT_EQ(list.Text(), "alpha");
    list.Text("gamma");
    EXPECT_EQ(list.Text(), "alpha");
    delete box; // the adapter outlives the widget harmlessly
    EXPECT_EQ(list.ListCount(), 0);
    list.AddItem("x");
    EXPECT_EQ(list.Text(), "");
}

} // namespace
