// The add-in's frame in a fake environment: how each connection mode creates the window and the
// button, what is remembered between loadings, where the window goes.
#include "gridmover/addin/connect.h"
#include "gridmover/addin/doc_migration.h"
#include "gridmover/addin/resources.h"

#include "fake_environment.h"
#include "installed_grids.h"

#include <gtest/gtest.h>

using namespace gridmover::addin;
using fake::Environment;

namespace {

const std::string kKey =
    fake::FakeSettings::key(kSettingsApp, "Lumatab Pro 8.0 Migration Utility", "DisplayOnConnect");

class ConnectTest : public ::testing::Test {
protected:
    Environment env;
    ConnectTest() {
        env.registry.inner =
            std::make_shared<InstalledGrids>(std::initializer_list<int>{1, 7, 12, 13});
    }
    Connect connect;
    CustomArgs custom;

    void connectIn(int mode) {
        connect.IDTExtensibility_OnConnection(&env.vbe, mode, env.self, custom);
    }
    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        for (auto& c : env.vbe.standard.controls)
            out.push_back(c->caption);
        return out;
    }
};

const std::string kButton = "Lumatab Pro 8.0J 移行ﾂｰﾙ";

} // namespace

TEST_F(ConnectTest, AfterStartupTheButtonStandsBeforeTheLastControlAndTheWindowStaysHidden) {
    connectIn(kAfterStartup);
    ASSERT_EQ(env.vbe.windows.size(), 1u);
    EXPECT_EQ(env.vbe.createdWith[0], std::make_tuple(std::string("GRIDMOVER.docMigration"),
                                                      kButton, std::string(kToolWindowGuid)));
    EXPECT_EQ(env.vbe.owners[0], &env.self);
    EXPECT_FALSE(env.window().visible);
    EXPECT_TRUE(env.vbe.standard.visible);
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"Open", "Save", "Run", kButton, "Object Browser"}));
    // The face went through the clipboard, whose earlier content is gone.
    auto& button = *env.vbe.standard.controls[3];
    ASSERT_TRUE(button.face);
    EXPECT_EQ(*button.face, LoadResPicture(kResButtonFace));
    EXPECT_EQ(env.clipboard.text, "");
    EXPECT_TRUE(env.prompts.messages.empty());

    // The button shows the window, centred and sized at 15 twips per pixel, with its lists.
    env.vbe.click(button);
    EXPECT_TRUE(env.window().visible);
    EXPECT_EQ(env.window().width, 400);
    EXPECT_EQ(env.window().height, 200);
    EXPECT_EQ(env.window().left, 312);
    EXPECT_EQ(env.window().top, 284);
    ASSERT_NE(gDocMigration, nullptr);
    EXPECT_EQ(gDocMigration->FromCombo->count(), 4);
    EXPECT_EQ(gDocMigration->ToCombo->count(), 2);
}

TEST_F(ConnectTest, DuringStartupTheButtonWaitsForTheStartToComplete) {
    connectIn(kStartup);
    EXPECT_EQ(env.vbe.windows.size(), 1u);
    EXPECT_EQ(env.vbe.standard.ControlCount(), 4);
    connect.IDTExtensibility_OnStartupComplete(custom);
    EXPECT_EQ(env.vbe.standard.ControlCount(), 5);
    EXPECT_EQ(env.vbe.standard.controls[3]->caption, kButton);
    EXPECT_FALSE(env.window().visible);
}

TEST_F(ConnectTest, FromTheCommandLineNoButtonAndNothingShown) {
    connectIn(kCommandLine);
    EXPECT_EQ(env.vbe.windows.size(), 1u);
    EXPECT_EQ(env.vbe.standard.ControlCount(), 4);
    EXPECT_FALSE(env.window().visible);
    EXPECT_EQ(env.vbe.projectEvents.size(), 1u);
    EXPECT_TRUE(env.prompts.messages.empty());
}

TEST_F(ConnectTest, ExternalModeShowsTheWindowOwnedByTheAddInFoundOrTheFirst) {
    // Not in the environment's list: the first add-in owns the window.
    connectIn(kExternal);
    ASSERT_EQ(env.vbe.windows.size(), 1u);
    EXPECT_EQ(env.vbe.owners[0], env.vbe.addins.items[0].get());
    EXPECT_TRUE(env.window().visible);
    EXPECT_EQ(env.vbe.standard.ControlCount(), 4);
}

TEST_F(ConnectTest, ExternalModeWithTheAddInAlreadyConnectedCreatesNoWindowAndReportsShow) {
    env.vbe.addins.items.push_back(std::make_unique<fake::FakeAddIn>("GRIDMOVER.Connect", true));
    connectIn(kExternal);
    EXPECT_TRUE(env.vbe.windows.empty());
    ASSERT_EQ(env.prompts.messages.size(), 1u);
    EXPECT_EQ(env.prompts.messages[0].title, "Lumatab Pro 8.0 Migration Utility");
    EXPECT_NE(env.prompts.messages[0].text.find("オブジェクト変数"), std::string::npos);
}

TEST_F(ConnectTest, ASecondConnectionShowsTheWindowAndInModeZeroAddsASecondButton) {
    connectIn(kAfterStartup);
    connectIn(kAfterStartup);
    EXPECT_EQ(env.vbe.windows.size(), 1u);
    EXPECT_TRUE(env.window().visible);
    EXPECT_EQ(captions(), (std::vector<std::string>{"Open", "Save", "Run", kButton, kButton,
                                                    "Object Browser"}));
    connectIn(kCommandLine);
    EXPECT_EQ(env.vbe.standard.ControlCount(), 6);
}

TEST_F(ConnectTest, DisplayOnConnectRemembersTheWindowAcrossLoadings) {
    // Missing: hidden; unloaded while hidden: "0".
    connectIn(kAfterStartup);
    EXPECT_FALSE(env.window().visible);
    connect.IDTExtensibility_OnDisconnection(0, custom);
    EXPECT_EQ(env.settings.values.at(kKey), "0");
    EXPECT_EQ(gToolWindow, nullptr);
    EXPECT_EQ(env.vbe.standard.ControlCount(), 4); // the button went with the add-in

    // "0": hidden again; shown, then unloaded: "1".
    Connect second;
    second.IDTExtensibility_OnConnection(&env.vbe, kAfterStartup, env.self, custom);
    EXPECT_FALSE(env.window().visible);
    second.Show();
    second.IDTExtensibility_OnDisconnection(0, custom);
    EXPECT_EQ(env.settings.values.at(kKey), "1");

    // "1": the next connection shows the window once its button is there.
    Connect third;
    third.IDTExtensibility_OnConnection(&env.vbe, kStartup, env.self, custom);
    EXPECT_FALSE(env.window().visible);
    third.IDTExtensibility_OnStartupComplete(custom);
    EXPECT_TRUE(env.window().visible);
    EXPECT_EQ(env.window().left, 312);
}

TEST_F(ConnectTest, PlacementFollowsTheScreenAndRoundsHalvesToEven) {
    env.screen.width = 1280 * 12;
    env.screen.height = 1024 * 12;
    env.screen.tppx = 12;
    env.screen.tppy = 12;
    connectIn(kExternal);
    EXPECT_EQ(env.window().width, 500);  // 6000 / 12
    EXPECT_EQ(env.window().height, 250); // 3000 / 12
    EXPECT_EQ(env.window().left, 390);
    EXPECT_EQ(env.window().top, 387);
    // Halves go to the even neighbour: (1002 - 375) / 2 = 313.5 -> 314, (1000 - 375) / 2 = 312.5
    // -> 312.
    env.screen.tppx = 16;
    env.screen.tppy = 8;
    env.screen.width = 16 * 1002;
    env.screen.height = 8 * 1000;
    connect.Show();
    EXPECT_EQ(env.window().width, 375);
    EXPECT_EQ(env.window().height, 375);
    EXPECT_EQ(env.window().left, 314);
    EXPECT_EQ(env.window().top, 312); // 312.5 -> 312
}

TEST_F(ConnectTest, WhileAProgramRunsShowingTheWindowHidesItAgain) {
    connectIn(kAfterStartup);
    env.vbe.file.controls[0]->enabled = false;
    EXPECT_TRUE(InRunMode(&env.vbe));
    env.vbe.click(*env.vbe.standard.controls[3]);
    EXPECT_FALSE(env.window().visible);
    EXPECT_EQ(env.window().shows, 1);
    env.vbe.file.controls[0]->enabled = true;
    env.vbe.click(*env.vbe.standard.controls[3]);
    EXPECT_TRUE(env.window().visible);
}

TEST_F(ConnectTest, AFailureIsShownInABoxTitledWithTheAddInTitle) {
    Connect lone;
    lone.Show(); // no window yet
    ASSERT_EQ(env.prompts.messages.size(), 1u);
    EXPECT_EQ(env.prompts.messages[0].title, "Lumatab Pro 8.0 Migration Utility");
    // Disconnection fails silently.
    lone.IDTExtensibility_OnDisconnection(0, custom);
    EXPECT_EQ(env.prompts.messages.size(), 1u);
    EXPECT_TRUE(env.settings.values.empty());
}
