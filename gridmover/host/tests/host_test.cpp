// The host program with the add-in loaded as the environment loads it: the connection modes from
// its side, the per-user setting across two sessions, and the whole migration of a real project
// through the toolbar button and the docked dialog, with the same result as gridmover-cli.
#include "gridmover/addin/connect.h"
#include "gridmover/addin/doc_migration.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/registry.h"
#include "gridmover/host/main_window.h"

#include "foundation/testing/scripted_prompts.h"
#include "testsupport/test_files.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QSettings>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

using namespace gridmover;
using namespace gridmover::host;
using testsupport::readBytes;
using testsupport::ScratchDir;
namespace fs = std::filesystem;

namespace {

class FixtureRegistry : public Registry {
public:
    explicit FixtureRegistry(std::initializer_list<int> rows) {
        LoadGridVersions();
        for (int row : rows)
            keys_.insert("CLSID\\{" + Versions().Item(row)->Item("CLSID_MsDgrid")->ToString() +
                         "}");
    }
    bool KeyExists(std::string_view key) const override { return keys_.contains(std::string(key)); }

private:
    std::set<std::string, std::less<>> keys_;
};

QAction* addInButton(HostWindow& w) {
    for (QAction* a : w.StandardBar()->actions())
        if (a->text() == QStringLiteral("Lumatab Pro 8.0J 移行ﾂｰﾙ"))
            return a;
    return nullptr;
}

QStringList barTexts(HostWindow& w) {
    QStringList out;
    for (QAction* a : w.StandardBar()->actions())
        if (!a->isSeparator())
            out << a->text();
    return out;
}

std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out[e.path().filename().string()] = readBytes(e.path());
    return out;
}

class Host : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(dir / "tmp");
        ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    }
    void TearDown() override { ::unsetenv("TMPDIR"); }
    QString settingsFile() const { return QString::fromStdString((dir / "addins.ini").string()); }
    fs::path copyInfoSystem(const std::string& to) {
        fs::copy(testsupport::sourceDir() / "gridmover/core/tests/data/infosystem", dir / to,
                 fs::copy_options::recursive);
        return dir / to / "infosystem.vbp";
    }

    ScratchDir dir;
    ScriptedPrompts prompts;
    std::shared_ptr<const Registry> registry =
        std::make_shared<FixtureRegistry>(std::initializer_list<int>{1, 7, 12, 13});
};

} // namespace

TEST_F(Host, ConnectModesFromTheHostsSide) {
    {
        HostWindow w(prompts, settingsFile(), registry);
        const QStringList before = barTexts(w);
        w.LoadAddIn(addin::kStartup);
        EXPECT_EQ(barTexts(w), before); // no button before the start has completed
        w.StartupComplete();
        QStringList expected = before;
        expected.insert(expected.size() - 1, QStringLiteral("Lumatab Pro 8.0J 移行ﾂｰﾙ"));
        EXPECT_EQ(barTexts(w), expected);
        // The face came through the clipboard.
        EXPECT_FALSE(addInButton(w)->icon().isNull());
        EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(16, 16));
        ASSERT_EQ(w.Environment().toolWindows().size(), 1u);
        EXPECT_FALSE(w.Environment().toolWindows()[0]->Visible());
        EXPECT_FALSE(w.LoadAddIn(addin::kAfterStartup)); // connected already
    }
    {
        HostWindow w(prompts, settingsFile(), registry);
        const QStringList before = barTexts(w);
        w.LoadAddIn(addin::kCommandLine);
        EXPECT_EQ(barTexts(w), before);
        EXPECT_FALSE(w.Environment().toolWindows()[0]->Visible());
    }
    {
        HostWindow w(prompts, settingsFile(), registry);
        w.LoadAddIn(addin::kExternal);
        EXPECT_TRUE(w.Environment().toolWindows()[0]->Visible());
        EXPECT_EQ(addInButton(w), nullptr);
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Host, TheOpenWindowIsRememberedInTheUsersSettings) {
    {
        HostWindow w(prompts, settingsFile(), registry);
        w.LoadAddIn(addin::kAfterStartup);
        addInButton(w)->trigger();
        EXPECT_TRUE(w.Environment().toolWindows()[0]->Visible());
        w.close();
    }
    QSettings ini(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("Microsoft Visual Basic AddIns - Lumatab Pro 8.0 Migration "
                                       "Utility/DisplayOnConnect"))
                  .toString(),
              QStringLiteral("1"));
    HostWindow again(prompts, settingsFile(), registry);
    again.LoadAddIn(addin::kAfterStartup);
    EXPECT_TRUE(again.Environment().toolWindows()[0]->Visible());
}

TEST_F(Host, WhileAProgramRunsTheDialogIsNotOffered) {
    HostWindow w(prompts, settingsFile(), registry);
    w.LoadAddIn(addin::kAfterStartup);
    w.SetRunMode(true);
    w.show();
    addInButton(w)->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(w.Environment().toolWindows()[0]->Visible());
    w.SetRunMode(false);
    addInButton(w)->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(w.Environment().toolWindows()[0]->Visible());
}

TEST_F(Host, OpensAProjectIntoTheTreeAndShowsASourceReadOnly) {
    HostWindow w(prompts, settingsFile(), registry);
    ASSERT_TRUE(w.OpenProject(copyInfoSystem("p")));
    auto items = w.ProjectTree()->findItems(QStringLiteral("SQLForm"),
                                            Qt::MatchStartsWith | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->parent()->text(0), QStringLiteral("フォーム"));
    // The binary companion is found whatever its letter case (SQLFORM.FRX).
    EXPECT_TRUE(items[0]->toolTip(0).endsWith(QStringLiteral("SQLFORM.FRX")));
    w.ProjectTree()->setCurrentItem(items[0]);
    EXPECT_TRUE(w.Viewer()->isReadOnly());
    EXPECT_TRUE(w.Viewer()->toPlainText().contains(QStringLiteral("MSDBGrid.DBGrid")));

    EXPECT_FALSE(w.OpenProject(dir / "missing.vbp"));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, MsgIcon::Critical);
}

// The whole way: open, toolbar button, docked dialog, 1 -> 12, OK; the project is converted and
// reopened, and gridmover-cli on another copy gives byte for byte the same files.
TEST_F(Host, MigratesTheProjectLikeTheCommandLineTool) {
    const fs::path vbp = copyInfoSystem("viaHost");
    const auto before = snapshot(dir / "viaHost");
    HostWindow w(prompts, settingsFile(), registry);
    ASSERT_TRUE(w.OpenProject(vbp));
    w.LoadAddIn(addin::kAfterStartup);
    w.show();
    auto sql = w.ProjectTree()->findItems(QStringLiteral("SQLForm"),
                                          Qt::MatchStartsWith | Qt::MatchRecursive);
    w.ProjectTree()->setCurrentItem(sql[0]);
    addInButton(w)->trigger();
    QApplication::processEvents();
    auto* doc = addin::gDocMigration;
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->isVisible());
    EXPECT_EQ(w.dockWidgetArea(w.Environment().toolWindows()[0]->dock()), Qt::BottomDockWidgetArea);
    ASSERT_EQ(doc->FromCombo->currentData().toInt(), 1);
    ASSERT_EQ(doc->ToCombo->currentData().toInt(), 12);
    doc->OKButton->click();

    EXPECT_EQ(prompts.messages,
              (std::vector<RecordedMessage>{
                  {MsgIcon::Information, "", "ﾌﾟﾛｼﾞｪｸﾄは正常に変換されました。"}}));
    EXPECT_FALSE(w.Environment().toolWindows()[0]->Visible());
    // Reopened: the viewer shows the converted form.
    EXPECT_TRUE(w.Viewer()->toPlainText().contains(QStringLiteral("Lumatab80.LTab")));
    EXPECT_NE(snapshot(dir / "viaHost"), before);
    // The run's own temporary folder may stay (the next run removes it); no file may.
    for (const auto& e : fs::recursive_directory_iterator(dir / "tmp"))
        EXPECT_FALSE(e.is_regular_file()) << e.path();

    const fs::path cliVbp = copyInfoSystem("viaCli");
    const std::string command = std::string(GRIDMOVER_CLI) + " convert --from 1 --to 12 --quiet '" +
                                cliVbp.string() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(snapshot(dir / "viaCli"), snapshot(dir / "viaHost"));
}
