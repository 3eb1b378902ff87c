#include "gridmover/addin/doc_migration.h"

#include "gridmover/addin/connect.h"
#include "gridmover/addin/environment_site.h"
#include "gridmover/addin/twips.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/migration_run.h"
#include "gridmover/core/scan_lists.h"
#include "gridmover/core/string_resources.h"

#include <QShortcut>
#include <QStyle>

#include <exception>

namespace gridmover::addin {

namespace {

// Clicks and list changes trap no errors of their own: like the environment, which reports a
// handler's run-time error, the error is shown instead of ending the program.
template <class Body>
void reportedByEnvironment(Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        try {
            CurrentRuntime().prompts.message(MsgIcon::Critical, kAddInTitle, e.what());
        } catch (const std::exception&) {
        }
    }
}

QString q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                   TwipsToPixels(height));
}

} // namespace

docMigration::docMigration(QWidget* parent) : QWidget(parent), status_(std::make_unique<Status>()) {
    setObjectName(QStringLiteral("docMigration"));
    setMinimumSize(TwipsToPixels(5865), TwipsToPixels(2580));
    QFont small = font();
    small.setPointSize(9);
    setFont(small);

    FromLabel = new QLabel(QStringLiteral("変換元(&F) :"), this);
    place(FromLabel, 120, 120, 2415, 255);
    FromCombo = new QComboBox(this);
    place(FromCombo, 120, 390, 2415, 315);
    FromLabel->setBuddy(FromCombo);

    ToLabel = new QLabel(QStringLiteral("変換先(&T) :"), this);
    place(ToLabel, 2865, 120, 2415, 255);
    ToCombo = new QComboBox(this);
    place(ToCombo, 2880, 390, 2415, 315);
    ToLabel->setBuddy(ToCombo);

    Picture1 = new QFrame(this);
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Sunken);
    place(Picture1, 105, 840, 4335, 1620);
    Picture2 = new QLabel(Picture1);
    Picture2->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    Picture2->setGeometry(4, 4, 32, 32);
    Label1 =
        new QLabel(QStringLiteral("変換するｸﾞﾘｯﾄﾞｺﾝﾄﾛｰﾙの種類を選択してください。OKをｸﾘｯｸすると"
                                  "変換を開始します。"),
                   Picture1);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(42, 4, TwipsToPixels(4335) - 48, 36);
    Label2 = new QLabel(QStringLiteral("注意 : このｱﾄﾞｲﾝはｿｰｽﾌｧｲﾙのﾊﾞｯｸｱｯﾌﾟを作成しません。"
                                       "先にﾊﾞｯｸｱｯﾌﾟを作成したい場合には、ｷｬﾝｾﾙﾎﾞﾀﾝをｸﾘｯｸ"
                                       "してください。"),
                        Picture1);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setGeometry(4, 42, TwipsToPixels(4335) - 10, TwipsToPixels(1620) - 46);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    place(OKButton, 4530, 840, 1215, 375);
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    place(CancelButton, 4530, 1335, 1215, 375);

    // A document is no dialog: Enter and Esc reach its default and cancel buttons by shortcut.
    for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        enter->setContext(Qt::WidgetWithChildrenShortcut);
        connect(enter, &QShortcut::activated, this, [this] {
            if (OKButton->isEnabled()) {
                OKButton->click();
            }
        });
    }
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WidgetWithChildrenShortcut);
    connect(esc, &QShortcut::activated, this, [this] { CancelButton->click(); });

    connect(FromCombo, &QComboBox::currentIndexChanged, this,
            [this] { reportedByEnvironment([this] { FromCombo_Click(); }); });
    connect(ToCombo, &QComboBox::currentIndexChanged, this,
            [this] { reportedByEnvironment([this] { ToCombo_Click(); }); });
    connect(CancelButton, &QPushButton::clicked, this,
            [this] { reportedByEnvironment([this] { CancelButton_Click(); }); });
    connect(OKButton, &QPushButton::clicked, this,
            [this] { reportedByEnvironment([this] { OKButton_Click(); }); });
    UpdateOKButton();
}

docMigration::~docMigration() = default;

void docMigration::ScanRegistry() {
    if (FromCombo->count() > 0 || ToCombo->count() > 0) {
        return;
    }
    LoadGridVersions();
    const VersionLists lists = ScanInstalledVersions(Versions(), CurrentRuntime().registry);
    for (const auto& e : lists.from) {
        FromCombo->addItem(q(e.displayName), static_cast<int>(e.row));
    }
    for (const auto& e : lists.to) {
        ToCombo->addItem(q(e.displayName), static_cast<int>(e.row));
    }
    if (FromCombo->count() > 0) {
        FromCombo->setCurrentIndex(0);
    }
    if (ToCombo->count() > 0) {
        ToCombo->setCurrentIndex(0);
    }
    UpdateOKButton();
}

void docMigration::UpdateOKButton() {
    bool enabled = true;
    if (ToCombo->count() == 0) {
        enabled = false;
    } else if (FromCombo->currentIndex() < 0 || ToCombo->currentIndex() < 0) {
        enabled = false;
    } else if (FromCombo->currentData().toInt() == ToCombo->currentData().toInt()) {
        enabled = false;
    }
    OKButton->setEnabled(enabled);
}

void docMigration::UserDocument_Show() {
    // The labels' Japanese needs no character set here: Qt's text is Unicode whatever the font.
    try {
        if (gToolWindow && gVBInstance != nullptr && InRunMode(gVBInstance)) {
            gToolWindow->SetVisible(false);
        }
    } catch (const std::exception&) {
    }
}

void docMigration::FromCombo_Click() {
    UpdateOKButton();
}

void docMigration::ToCombo_Click() {
    UpdateOKButton();
}

void docMigration::CancelButton_Click() {
    if (!gToolWindow) {
        throw std::runtime_error("オブジェクト変数または With ブロック変数が設定されていません。");
    }
    gToolWindow->SetVisible(false);
}

void docMigration::OKButton_Click() {
    const auto to = static_cast<std::int16_t>(ToCombo->currentData().toInt());
    const auto from = static_cast<std::int16_t>(FromCombo->currentData().toInt());
    Runtime& rt = CurrentRuntime();
    EnvironmentSite site(gVBInstance, gToolWindow, *status_, rt.screen);
    RunMigration(site, rt.prompts, from, to);
}

std::unique_ptr<QWidget> CreateUserDocument(std::string_view progId) {
    if (progId == kDocumentProgId) {
        return std::make_unique<docMigration>();
    }
    return nullptr;
}

} // namespace gridmover::addin
