// The migration dialog: what the lists offer after the scan, and when OK may be pressed.
#include "gridmover/addin/connect.h"
#include "gridmover/addin/doc_migration.h"

#include "fake_environment.h"
#include "installed_grids.h"

#include <gtest/gtest.h>

using namespace gridmover::addin;

namespace {

std::vector<std::pair<std::string, int>> entries(const QComboBox& combo) {
    std::vector<std::pair<std::string, int>> out;
    for (int i = 0; i < combo.count(); ++i)
        out.emplace_back(combo.itemText(i).toStdString(), combo.itemData(i).toInt());
    return out;
}

} // namespace

TEST(Dialog, ControlsCarryTheirCaptionsAccessKeysAndPlaces) {
    docMigration doc;
    EXPECT_EQ(doc.FromLabel->text().toStdString(), "変換元(&F) :");
    EXPECT_EQ(doc.ToLabel->text().toStdString(), "変換先(&T) :");
    EXPECT_EQ(doc.FromLabel->buddy(), doc.FromCombo);
    EXPECT_EQ(doc.ToLabel->buddy(), doc.ToCombo);
    EXPECT_EQ(doc.CancelButton->text().toStdString(), "ｷｬﾝｾﾙ");
    EXPECT_EQ(doc.OKButton->text().toStdString(), "OK");
    EXPECT_TRUE(doc.OKButton->isDefault());
    // Twips at 15 to the pixel: OK at 4530, 840, 1215 x 375.
    EXPECT_EQ(doc.OKButton->geometry(), QRect(302, 56, 81, 25));
    EXPECT_EQ(doc.CancelButton->geometry(), QRect(302, 89, 81, 25));
    EXPECT_EQ(doc.FromCombo->geometry().topLeft(), QPoint(8, 26));
    EXPECT_EQ(doc.ToCombo->geometry().topLeft(), QPoint(192, 26));
    EXPECT_EQ(doc.Picture1->geometry(), QRect(7, 56, 289, 108));
    EXPECT_EQ(doc.Label2->parentWidget(), doc.Picture1);
}

TEST(Dialog, OkIsEnabledExactlyWhenBothAreSelectedAndDiffer) {
    fake::Environment env;
    env.registry.inner =
        std::make_shared<InstalledGrids>(std::initializer_list<int>{4, 5, 7, 12, 13});
    docMigration doc;
    EXPECT_FALSE(doc.OKButton->isEnabled());
    doc.ScanRegistry();
    // Display order, not row order: 5 before 4.
    EXPECT_EQ(entries(*doc.FromCombo),
              (std::vector<std::pair<std::string, int>>{{"Lumatab Pro 5.0 for VB4", 5},
                                                        {"Lumatab Pro 5.0", 4},
                                                        {"Lumatab Pro 6.0", 7},
                                                        {"Lumatab Pro 8.0", 12},
                                                        {"Lumatab Pro 8.0 (OLEDB)", 13}}));
    EXPECT_EQ(entries(*doc.ToCombo),
              (std::vector<std::pair<std::string, int>>{{"Lumatab Pro 8.0", 12},
                                                        {"Lumatab Pro 8.0 (OLEDB)", 13}}));
    EXPECT_EQ(doc.FromCombo->currentIndex(), 0);
    EXPECT_EQ(doc.ToCombo->currentIndex(), 0);
    EXPECT_TRUE(doc.OKButton->isEnabled());

    doc.FromCombo->setCurrentIndex(3); // 12 = the target
    EXPECT_FALSE(doc.OKButton->isEnabled());
    doc.ToCombo->setCurrentIndex(1); // 13
    EXPECT_TRUE(doc.OKButton->isEnabled());
    doc.FromCombo->setCurrentIndex(-1);
    EXPECT_FALSE(doc.OKButton->isEnabled());

    // A second scan keeps lists and selections.
    doc.FromCombo->setCurrentIndex(2);
    doc.ScanRegistry();
    EXPECT_EQ(doc.FromCombo->count(), 5);
    EXPECT_EQ(doc.FromCombo->currentIndex(), 2);
}

TEST(Dialog, NoTargetInstalledLeavesOkDisabled) {
    fake::Environment env;
    env.registry.inner = std::make_shared<InstalledGrids>(std::initializer_list<int>{1, 7});
    docMigration doc;
    doc.ScanRegistry();
    EXPECT_EQ(doc.FromCombo->count(), 2);
    EXPECT_EQ(doc.ToCombo->count(), 0);
    EXPECT_FALSE(doc.OKButton->isEnabled());
    doc.FromCombo->setCurrentIndex(1);
    EXPECT_FALSE(doc.OKButton->isEnabled());
}

TEST(Dialog, OnlyTheCurrentVersionInstalledOffersNoConversion) {
    fake::Environment env;
    env.registry.inner = std::make_shared<InstalledGrids>(std::initializer_list<int>{12});
    docMigration doc;
    doc.ScanRegistry();
    EXPECT_EQ(entries(*doc.FromCombo),
              (std::vector<std::pair<std::string, int>>{{"Lumatab Pro 8.0", 12}}));
    EXPECT_EQ(entries(*doc.ToCombo),
              (std::vector<std::pair<std::string, int>>{{"Lumatab Pro 8.0", 12}}));
    EXPECT_FALSE(doc.OKButton->isEnabled());
}

TEST(Dialog, NothingInstalledLeavesBothListsEmpty) {
    fake::Environment env;
    env.registry.inner = std::make_shared<InstalledGrids>(std::initializer_list<int>{});
    docMigration doc;
    doc.ScanRegistry();
    EXPECT_EQ(doc.FromCombo->count(), 0);
    EXPECT_EQ(doc.FromCombo->currentIndex(), -1);
    EXPECT_FALSE(doc.OKButton->isEnabled());
}

TEST(Dialog, CancelHidesTheWindowAndTheButtonBringsItBackAsItWas) {
    fake::Environment env;
    env.registry.inner = std::make_shared<InstalledGrids>(std::initializer_list<int>{1, 4, 12, 13});
    Connect connect;
    CustomArgs custom;
    connect.IDTExtensibility_OnConnection(&env.vbe, kAfterStartup, env.self, custom);
    auto& button = *env.vbe.standard.controls[3];
    env.vbe.click(button);
    gDocMigration->FromCombo->setCurrentIndex(1);
    gDocMigration->ToCombo->setCurrentIndex(1);
    gDocMigration->CancelButton->click();
    EXPECT_FALSE(env.window().visible);
    env.vbe.click(button);
    EXPECT_TRUE(env.window().visible);
    EXPECT_EQ(gDocMigration->FromCombo->currentIndex(), 1);
    EXPECT_EQ(gDocMigration->ToCombo->currentIndex(), 1);
    EXPECT_TRUE(env.prompts.messages.empty());
}
