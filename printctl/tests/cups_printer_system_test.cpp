// The library on a real CUPS scheduler, started privately for this test program: printers added
// with lpadmin, the list and default as CUPS gives them, and the properties dialog's changes
// stored where lpoptions stores them.
#include "foundation/prompts.h"
#include "foundation/testing/scripted_prompts.h"
#include "printctl/platform/linux/cups_printer_system.h"
#include "printctl/printctl.h"
#include "printctl/properties_dialog.h"
#include "printctl/qt_list_controls.h"
#include "printctl/tests/private_cups.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <functional>

using printctl::Clsプリンタ制御;
using printctl::testing::PrivateCups;

namespace {

class CupsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        cups = new PrivateCups;
        if (!cups->start(whyNot))
            return;
        ppd = PrivateCups::shippedPpd();
        if (ppd.empty()) {
            whyNot = "no PPD file installed (package cups-filters)";
            return;
        }
        // Names whose order by bytes differs from CUPS's order, which ignores letter case.
        const std::string setup[] = {
            "lpadmin -p Zeta -E -v file:/dev/null -P '" + ppd + "'",
            "lpadmin -p beta_2 -E -v file:/dev/null",
            "lpadmin -p Alpha -E -v file:/dev/null",
            "lpadmin -p Alpha -c office",
            "cupsenable office && cupsaccept office",
            "lpadmin -d beta_2",
        };
        for (const std::string& command : setup) {
            std::string out;
            if (cups->run(command, &out) != 0) {
                whyNot = command + " failed: " + out;
                return;
            }
        }
        ready = true;
    }
    static void TearDownTestSuite() {
        pid_t group = cups->processGroup();
        delete cups;
        cups = nullptr;
        if (group > 0) {
            // Nothing of the scheduler is left running.
            EXPECT_EQ(::kill(-group, 0), -1);
            EXPECT_EQ(errno, ESRCH);
        }
    }
    void SetUp() override {
        if (!ready)
            GTEST_SKIP() << "no private CUPS scheduler: " << whyNot;
    }

    static inline PrivateCups* cups = nullptr;
    static inline bool ready = false;
    static inline std::string whyNot;
    static inline std::string ppd;
};

// Runs check on the properties dialog once it is shown (the dialog runs its own event loop).
void onDialog(std::function<void(printctl::PropertiesDialog&)> check) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, check] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* properties = dynamic_cast<printctl::PropertiesDialog*>(dialog);
        if (!properties && ++*tries < 250)
            return;
        timer->stop();
        timer->deleteLater();
        if (!properties) {
            ADD_FAILURE() << "the properties dialog did not open";
            return;
        }
        check(*properties);
    });
    timer->start();
}

void press(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    dialog.findChild<QDialogButtonBox*>()->button(which)->click();
}

TEST_F(CupsTest, ListsThePrintersInCupssOrderAndChoosesTheUsersDefault) {
    auto prompts = std::make_shared<ScriptedPrompts>();
    auto system = std::make_shared<printctl::CupsPrinterSystem>(prompts);
    EXPECT_EQ(system->Printers(), (std::vector<std::string>{"Alpha", "beta_2", "office", "Zeta"}));
    EXPECT_EQ(system->DefaultPrinter(), "beta_2");

    testsupport::ScratchDir data;
    std::string folder = data.path().string() + "/";
    Clsプリンタ制御 prt({system, prompts, [folder] { return folder; }, {}});
    prt.プログラム名("cups-test");
    QComboBox box;
    printctl::ComboBoxList list(&box);
    ASSERT_TRUE(prt.Prt_List(list));
    EXPECT_EQ(box.count(), 4);
    EXPECT_EQ(list.Text(), "beta_2");

    // A user's own default (lpoptions -d), here a class, wins over the server's.
    ASSERT_EQ(cups->run("lpoptions -d office"), 0);
    EXPECT_EQ(system->DefaultPrinter(), "office");
    QComboBox again;
    printctl::ComboBoxList againList(&again);
    ASSERT_TRUE(prt.Prt_List(againList));
    EXPECT_EQ(againList.Text(), "office");
    EXPECT_TRUE(prompts->messages.empty());
    ASSERT_EQ(cups->run("lpoptions -x office && lpoptions -d beta_2 >/dev/null"), 0);
}

TEST_F(CupsTest, ThePropertiesDialogShowsCupssOptionsAndStoresAChangeAsLpoptionsDoes) {
    auto prompts = std::make_shared<ScriptedPrompts>();
    auto system = std::make_shared<printctl::CupsPrinterSystem>(prompts);
    testsupport::ScratchDir data;
    std::string folder = data.path().string() + "/";
    Clsプリンタ制御 prt({system, prompts, [folder] { return folder; }, {}});
    QWidget owner;
    owner.show();
    prt.FormNum(static_cast<std::int64_t>(owner.winId()));
    QComboBox box;
    printctl::ComboBoxList list(&box);
    ASSERT_TRUE(prt.Prt_List(list));
    list.Text("Zeta");

    bool checked = false;
    onDialog([&](printctl::PropertiesDialog& dialog) {
        checked = true;
        EXPECT_EQ(dialog.parentWidget(), &owner);
        // The PPD's paper sizes and duplex modes, as CUPS reports them, its defaults chosen.
        auto* media = dialog.findChild<QComboBox*>("media");
        auto* sides = dialog.findChild<QComboBox*>("sides");
        if (!media || !sides) {
            ADD_FAILURE() << "no media or sides choice";
            press(dialog, QDialogButtonBox::Cancel);
            return;
        }
        EXPECT_GE(media->findData(QStringLiteral("iso_a4_210x297mm")), 0);
        EXPECT_EQ(media->currentData().toString(), QStringLiteral("na_letter_8.5x11in"));
        EXPECT_EQ(sides->currentData().toString(), QStringLiteral("one-sided"));
        int duplex = sides->findData(QStringLiteral("two-sided-long-edge"));
        ASSERT_GE(duplex, 0);
        sides->setCurrentIndex(duplex);
        press(dialog, QDialogButtonBox::Ok);
    });
    prt.Prt_Property(list);
    ASSERT_TRUE(checked);

    std::string out;
    ASSERT_EQ(cups->run("lpoptions -p Zeta", &out), 0);
    EXPECT_NE(out.find("sides=two-sided-long-edge"), std::string::npos) << out;
    EXPECT_EQ(out.find("media="), std::string::npos) << "an unchanged option was stored: " << out;
    EXPECT_TRUE(prompts->messages.empty());

    // The stored choice is the one the dialog opens with next time; Cancel stores nothing.
    checked = false;
    onDialog([&](printctl::PropertiesDialog& dialog) {
        checked = true;
        auto* sides = dialog.findChild<QComboBox*>("sides");
        ASSERT_NE(sides, nullptr);
        EXPECT_EQ(sides->currentData().toString(), QStringLiteral("two-sided-long-edge"));
        sides->setCurrentIndex(sides->findData(QStringLiteral("one-sided")));
        press(dialog, QDialogButtonBox::Cancel);
    });
    prt.Prt_Property(list);
    ASSERT_TRUE(checked);
    ASSERT_EQ(cups->run("lpoptions -p Zeta", &out), 0);
    EXPECT_NE(out.find("sides=two-sided-long-edge"), std::string::npos) << out;
}

TEST_F(CupsTest, APrinterWithoutADriverAndAnUnknownNameAreHandled) {
    printctl::CupsPrinterSystem system(nullptr);
    auto options = system.Options("beta_2");
    ASSERT_TRUE(options.has_value()); // a raw queue: few options, but a dialog all the same
    EXPECT_FALSE(system.Options("no-such-printer").has_value());
    // The dialog of an unknown printer does not open.
    system.ShowProperties(0, "no-such-printer");
}

} // namespace
