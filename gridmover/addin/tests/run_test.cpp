// The migration run: what the user sees and what happens on disk for each way a run can end,
// through a recording site and through the dialog's OK in a fake environment.
#include "gridmover/addin/connect.h"
#include "gridmover/addin/doc_migration.h"
#include "gridmover/core/migration_run.h"
#include "gridmover/core/pending_files.h"
#include "gridmover/core/vb_project.h"

#include "fake_environment.h"
#include "installed_grids.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace gridmover;
using testsupport::readBytes;
using testsupport::ScratchDir;
namespace fs = std::filesystem;

namespace {

const fs::path kGolden = testsupport::sourceDir() / "gridmover/core/tests/data/golden";

// Every file of a folder with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            out[fs::relative(e.path(), folder).string()] = readBytes(e.path());
    return out;
}

RunProject projectOf(const fs::path& vbp) {
    RunProject p;
    p.file = vbp;
    for (const auto& c : ReadVbProject(vbp).components)
        p.components.push_back({c.name, false, c.files});
    return p;
}

class RecordingSite : public MigrationSite {
public:
    RunProject project;
    std::vector<std::string> events;
    RunProject ActiveProject() override { return project; }
    void HideToolWindow() override { events.push_back("hide"); }
    void BeginBusy() override { events.push_back("busy"); }
    void SetStatus(std::string_view text) override { events.push_back(std::string(text)); }
    void EndBusy() override { events.push_back("idle"); }
    void ReopenProject(const fs::path& file) override {
        events.push_back("reopen " + file.filename().string());
    }
};

class Run : public ::testing::Test {
protected:
    ScratchDir dir;
    FolderTempFiles temp{dir / "tmp"};
    RecordingSite site;
    ScriptedPrompts prompts;
    RunOptions options{false, &temp};

    void SetUp() override { fs::create_directory(dir / "tmp"); }
    // The golden case's input as a project in the scratch folder.
    fs::path copy(const std::string& goldenCase) {
        fs::copy(kGolden / goldenCase / "input", dir / "p", fs::copy_options::recursive);
        for (const auto& e : fs::directory_iterator(dir / "p"))
            if (e.path().extension() == ".vbp") {
                site.project = projectOf(e.path());
                return e.path();
            }
        throw std::runtime_error("no project");
    }
    bool tempEmpty() const { return fs::is_empty(dir / "tmp"); }
    RunOutcome run(int from, int to) {
        return RunMigration(site, prompts, static_cast<std::int16_t>(from),
                            static_cast<std::int16_t>(to), options);
    }
};

const std::string kTitle = ""; // no title given: the box shows the add-in's

} // namespace

TEST_F(Run, AnUnsavedProjectGetsMessage1000AndNothingElse) {
    copy("dbgrid_to_lumatab80");
    const auto before = snapshot(dir / "p");
    site.project.components[2].dirty = true;
    EXPECT_EQ(run(1, 12), RunOutcome::ProjectUnsaved);
    site.project.components[2].dirty = false;
    site.project.dirty = true;
    EXPECT_EQ(run(1, 12), RunOutcome::ProjectUnsaved);
    const RecordedMessage m1000{
        MsgIcon::Exclamation, kTitle,
        "ｶﾚﾝﾄﾌﾟﾛｼﾞｪｸﾄは保存されていません。\n保存してから、やり直してください。"};
    EXPECT_EQ(prompts.messages, (std::vector<RecordedMessage>{m1000, m1000}));
    EXPECT_TRUE(site.events.empty());
    EXPECT_EQ(snapshot(dir / "p"), before);
}

TEST_F(Run, AReadOnlyFormStopsTheRunWith1005AndChangesNothing) {
    const fs::path vbp = copy("dbgrid_to_lumatab80");
    const auto before = snapshot(dir / "p");
    fs::permissions(dir / "p/frmOrders.frm",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(run(1, 12), RunOutcome::FileReadOnly);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], (RecordedMessage{MsgIcon::Exclamation, kTitle,
                                                    "次のﾌｧｲﾙは読み出し専用です。\n\r\n" +
                                                        (dir / "p/frmOrders.frm").string()}));
    EXPECT_EQ(site.events,
              (std::vector<std::string>{"hide", "busy", "frmOrdersを変換中 ...", "idle"}));
    EXPECT_EQ(snapshot(dir / "p"), before);
    EXPECT_TRUE(tempEmpty());
    (void)vbp;
}

TEST_F(Run, AFormWithoutBinaryFileIsNotConverted) {
    copy("dbgrid_to_lumatab80");
    for (auto& c : site.project.components)
        c.files.resize(1); // as if no form had its .frx
    const auto before = snapshot(dir / "p");
    EXPECT_EQ(run(1, 12), RunOutcome::NothingToConvert);
    EXPECT_EQ(prompts.messages,
              (std::vector<RecordedMessage>{
                  {MsgIcon::Information, kTitle,
                   "ﾌﾟﾛｼﾞｪｸﾄには変換するｸﾞﾘｯﾄﾞが含まれていません。\n何も変換されませんでした。"}}));
    EXPECT_EQ(site.events, (std::vector<std::string>{"hide", "busy", "idle"}));
    EXPECT_EQ(snapshot(dir / "p"), before);
    EXPECT_TRUE(tempEmpty());
}

TEST_F(Run, ToAnOleDbGridFromAClassicOneAsksFirstAndNoChangesNothing) {
    copy("lumatab60_to_ole80");
    const auto before = snapshot(dir / "p");
    EXPECT_EQ(run(7, 13), RunOutcome::StoppedAtWarning);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(prompts.messages[0].text,
              "！注意！\r\rOLE DB ﾊﾞｰｼﾞｮﾝのｸﾞﾘｯﾄﾞへ変換すると、従来のﾃﾞｰﾀ･ｺﾝﾄﾛｰﾙ(DAC/RDC)\r"
              "を使用したﾊﾞｳﾝﾄﾞ ｸﾞﾘｯﾄﾞは動作しなくなります！\r\r"
              "詳しくは、製品のﾏﾆｭｱﾙまたはｵﾝﾗｲﾝﾍﾙﾌﾟを参照してください。\r\r処理を続けますか？");
    EXPECT_EQ(site.events, (std::vector<std::string>{"hide"}));
    EXPECT_EQ(snapshot(dir / "p"), before);

    // The other way round the line names the OLE DB data control; between two OLE DB grids, and
    // from the VB4 grid, nothing is asked.
    EXPECT_TRUE(DataControlWarning(13, 12).starts_with("！注意！\r\rDAC/RDC ﾊﾞｰｼﾞｮﾝ"));
    EXPECT_EQ(DataControlWarning(8, 13), "");
    EXPECT_EQ(DataControlWarning(5, 13), "");
    EXPECT_EQ(DataControlWarning(1, 12), "");
}

TEST_F(Run, BetweenTwoOleDbGridsNothingIsAsked) {
    copy("lumatab60_to_ole80");
    EXPECT_EQ(run(11, 13), RunOutcome::NothingToConvert); // the project uses 6.0, not 7.0 OLE DB
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, MsgIcon::Information);
}

TEST_F(Run, YesToTheWarningConvertsAndASecondRunAfterNothingToConvertStartsClean) {
    const fs::path vbp = copy("lumatab60_to_ole80");
    prompts.yesNoAnswers = {true};
    EXPECT_EQ(run(2, 13), RunOutcome::NothingToConvert); // no 4.0 grid in it
    EXPECT_TRUE(tempEmpty());
    prompts.yesNoAnswers = {true};
    EXPECT_EQ(run(7, 13), RunOutcome::Converted);
    EXPECT_EQ(snapshot(dir / "p"), snapshot(kGolden / "lumatab60_to_ole80/expected"));
    EXPECT_EQ(prompts.messages.back(),
              (RecordedMessage{MsgIcon::Information, kTitle, "ﾌﾟﾛｼﾞｪｸﾄは正常に変換されました。"}));
    EXPECT_EQ(site.events.back(), "idle");
    EXPECT_EQ(site.events[site.events.size() - 2], "reopen Shop.vbp");
    EXPECT_TRUE(tempEmpty());
    (void)vbp;
}

TEST_F(Run, ADryRunShowsTheChangesAndWritesNothing) {
    copy("dbgrid_to_lumatab80");
    const auto before = snapshot(dir / "p");
    struct Site : RecordingSite {
        std::size_t textFiles = 0, patches = 0;
        void ShowPendingChanges(const PendingChanges& c, std::int16_t, std::int16_t) override {
            textFiles = c.textFiles.size();
            patches = c.binaryPatches.size();
        }
    } dry;
    dry.project = site.project;
    options.dryRun = true;
    EXPECT_EQ(RunMigration(dry, prompts, 1, 12, options), RunOutcome::DryRunShown);
    EXPECT_EQ(dry.textFiles, 3u); // the form, the module and the project file
    EXPECT_GT(dry.patches, 0u);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(snapshot(dir / "p"), before);
    EXPECT_TRUE(tempEmpty());
}

TEST_F(Run, FilesOutsideTheProjectsFolderAreConvertedOnlyWhenAllowed) {
    const fs::path vbp = copy("dbgrid_to_lumatab80");
    fs::create_directory(dir / "shared");
    fs::rename(dir / "p/modGrid.bas", dir / "shared/modGrid.bas");
    std::string text = readBytes(vbp);
    text.replace(text.find("modGrid; modGrid.bas"), 20, "modGrid; ..\\shared\\modGrid.bas");
    testsupport::writeBytes(vbp, text);
    site.project = projectOf(vbp);
    const auto before = snapshot(dir.path());

    EXPECT_EQ(run(1, 12), RunOutcome::OutsideRefused);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(prompts.messages[0].text, "次のﾌｧｲﾙはﾌﾟﾛｼﾞｪｸﾄのﾌｫﾙﾀﾞｰの外にあります。\r\n\r\n" +
                                            fs::canonical(dir / "shared/modGrid.bas").string() +
                                            "\r\n\r\nこれらのﾌｧｲﾙも変換しますか？");
    EXPECT_EQ(snapshot(dir.path()), before);

    prompts.yesNoAnswers = {true};
    EXPECT_EQ(run(1, 12), RunOutcome::Converted);
    EXPECT_EQ(readBytes(dir / "shared/modGrid.bas"),
              readBytes(kGolden / "dbgrid_to_lumatab80/expected/modGrid.bas"));
    EXPECT_TRUE(tempEmpty());
}

TEST_F(Run, AnInterruptedCommitIsUndoneBeforeTheRunGoesOn) {
    const fs::path vbp = copy("dbgrid_to_lumatab80");
    // What a kill in the middle of the swap leaves: modGrid.bas has its new content, its old one
    // is kept beside it, and the journal names the files of the commit.
    fs::copy_file(dir / "p/modGrid.bas", dir / "p/modGrid.bas.gmold");
    fs::copy_file(kGolden / "dbgrid_to_lumatab80/expected/modGrid.bas", dir / "p/modGrid.bas",
                  fs::copy_options::overwrite_existing);
    testsupport::writeBytes(CommitJournalFor(vbp), "gridmover commit journal 1\n" +
                                                       (dir / "p/modGrid.bas").string() + "\n" +
                                                       (dir / "p/Orders.vbp").string() + "\n");
    EXPECT_EQ(run(1, 12), RunOutcome::Converted);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0], (RecordedMessage{MsgIcon::Information, kTitle,
                                                    std::string(kRecoveredText) + "\r\n\r\n" +
                                                        (dir / "p/modGrid.bas").string()}));
    EXPECT_EQ(site.events.front(), "reopen Orders.vbp");
    EXPECT_EQ(snapshot(dir / "p"), snapshot(kGolden / "dbgrid_to_lumatab80/expected"));
    EXPECT_TRUE(tempEmpty());
}

TEST_F(Run, ACommitThatCannotPutAnOriginalBackStopsTheNextRunNamingIt) {
    const fs::path vbp = copy("dbgrid_to_lumatab80");
    const auto before = snapshot(dir / "p");
    // The kept old content cannot take its name back: a folder stands in the way.
    fs::create_directory(dir / "p/clsRows.cls.gmold");
    fs::rename(dir / "p/clsRows.cls", dir / "p/clsRows.cls.away");
    fs::create_directory(dir / "p/clsRows.cls");
    fs::create_directory(dir / "p/clsRows.cls/x");
    testsupport::writeBytes(CommitJournalFor(vbp), "gridmover commit journal 1\n" +
                                                       (dir / "p/clsRows.cls").string() + "\n");
    EXPECT_EQ(run(1, 12), RunOutcome::RecoveryFailed);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_NE(prompts.messages[0].text.find((dir / "p/clsRows.cls").string()), std::string::npos);
    EXPECT_TRUE(fs::exists(CommitJournalFor(vbp)));
    EXPECT_TRUE(site.events.empty());
    (void)before;
}

// The whole way through the add-in: toolbar button, dialog, OK; forms, then code files, then the
// project file; the project reopened alone; message 1002.
TEST(RunThroughTheDialog, ConvertsReopensAndReports) {
    ScratchDir dir;
    fs::create_directory(dir / "tmp");
    ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    fs::copy(kGolden / "dbgrid_to_lumatab80/input", dir / "p", fs::copy_options::recursive);
    const fs::path vbp = dir / "p/Orders.vbp";

    fake::Environment env;
    env.registry.inner = std::make_shared<InstalledGrids>(std::initializer_list<int>{1, 12, 13});
    env.vbe.project.emplace();
    env.vbe.project->file = vbp;
    for (const auto& c : ReadVbProject(vbp).components) {
        fake::FakeComponent fc;
        fc.name = c.name;
        fc.files = c.files;
        env.vbe.project->components.push_back(fc);
    }
    addin::Connect connect;
    addin::CustomArgs custom;
    connect.IDTExtensibility_OnConnection(&env.vbe, addin::kAfterStartup, env.self, custom);
    env.vbe.click(*env.vbe.standard.controls[3]);
    auto* doc = addin::gDocMigration;
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->FromCombo->itemData(0).toInt(), 1);
    ASSERT_EQ(doc->ToCombo->itemData(0).toInt(), 12);
    ASSERT_TRUE(doc->OKButton->isEnabled());

    doc->OKButton->click();

    EXPECT_FALSE(env.window().visible);
    EXPECT_FALSE(doc->StatusWindow().isVisible());
    EXPECT_EQ(doc->StatusWindow().Label1->text().toStdString(),
              vbp.string() + "を変換中 ... \n  完了!");
    EXPECT_EQ(env.screen.pointers, (std::vector<int>{11, 0}));
    EXPECT_EQ(env.vbe.opened, (std::vector<std::pair<fs::path, bool>>{{vbp, true}}));
    EXPECT_EQ(env.prompts.messages,
              (std::vector<RecordedMessage>{
                  {MsgIcon::Information, "", "ﾌﾟﾛｼﾞｪｸﾄは正常に変換されました。"}}));
    EXPECT_EQ(snapshot(dir / "p"), snapshot(kGolden / "dbgrid_to_lumatab80/expected"));
    // The run's own temporary folder may stay (the next run removes it); no file may.
    for (const auto& e : fs::recursive_directory_iterator(dir / "tmp"))
        EXPECT_FALSE(e.is_regular_file()) << e.path();
    ::unsetenv("TMPDIR");
}

TEST(RunThroughTheDialog, StatusTextsFollowTheOrderOfTheRun) {
    ScratchDir dir;
    fs::create_directory(dir / "tmp");
    fs::copy(kGolden / "dbgrid_to_lumatab80/input", dir / "p", fs::copy_options::recursive);
    FolderTempFiles temp(dir / "tmp");
    RecordingSite site;
    site.project = projectOf(dir / "p/Orders.vbp");
    ScriptedPrompts prompts;
    ASSERT_EQ(RunMigration(site, prompts, 1, 12, {false, &temp}), RunOutcome::Converted);
    const std::string p = (dir / "p").string() + "/";
    EXPECT_EQ(site.events, (std::vector<std::string>{
                               "hide",
                               "busy",
                               "frmOrdersを変換中 ...",
                               "frmOrdersを変換中 ... \r\n  完了!",
                               "frmAboutを変換中 ...",
                               p + "modGrid.basを変換中 ...",
                               p + "modGrid.basを変換中 ... \r\n  完了!",
                               p + "clsRows.clsを変換中 ...",
                               p + "Orders.vbpを変換中 ...",
                               p + "Orders.vbpを変換中 ... \r\n  完了!",
                               "reopen Orders.vbp",
                               "idle",
                           }));
}
