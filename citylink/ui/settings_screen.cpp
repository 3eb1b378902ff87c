#include "citylink/ui/settings_screen.h"

#include "foundation/dates.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <exception>
#include <optional>

namespace {

// The screen carries its own version text, apart from the main window's.
constexpr const char* kScreenVersion = "Ver7.4.1";

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string str(const QString& text) {
    return text.toStdString();
}

template <class W>
W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QString indexed(const char* name, int index) {
    return QString::fromUtf8(name) + u'(' + QString::number(index) + u')';
}

template <std::size_t N>
std::array<QLineEdit*, N> boxes(const char* name) {
    std::array<QLineEdit*, N> out{};
    for (std::size_t i = 0; i < N; ++i)
        out[i] = named(new QLineEdit, indexed(name, static_cast<int>(i)));
    return out;
}

template <std::size_t N>
std::array<QLabel*, N> labels(const char* name, const std::array<const char*, N>& texts) {
    std::array<QLabel*, N> out{};
    for (std::size_t i = 0; i < N; ++i)
        out[i] = named(new QLabel(QString::fromUtf8(texts[i])), indexed(name, static_cast<int>(i)));
    return out;
}

// The label names its box for screen readers and for tests that find boxes by name; Alt plus a
// label's mnemonic would need one, which these captions have not.
void pair(QLabel* label, QWidget* field) {
    label->setBuddy(field);
    field->setAccessibleName(label->text());
}

} // namespace

F_うぇぶきらの札幌市連携設定画面::F_うぇぶきらの札幌市連携設定画面(Prompts& prompts,
                                                                   const Clock& clock,
                                                                   std::filesystem::path layoutIni,
                                                                   QWidget* parent)
    : QDialog(parent),
      Lbl年度(named(new QLabel(QStringLiteral("年度：")), QStringLiteral("Lbl年度"))),
      Cmb年度(named(new QComboBox, QStringLiteral("Cmb年度"))),
      Frm必要量(named(new QGroupBox, QStringLiteral("Frm必要量"))),
      Opt必要量{named(new QRadioButton(QStringLiteral("短時間")), indexed("Opt必要量", 0)),
                named(new QRadioButton(QStringLiteral("標準時間")), indexed("Opt必要量", 1))},
      Cmd複写(named(new QPushButton(QStringLiteral("昨年度設定を複写する")),
                    QStringLiteral("Cmd複写"))),
      Lblシート名(
          named(new QLabel(QStringLiteral("貼付シート名：")), QStringLiteral("Lblシート名"))),
      Txtシート名(named(new QLineEdit, QStringLiteral("Txtシート名"))),
      Frame1(named(new QGroupBox(QStringLiteral("データ貼付位置設定")), QStringLiteral("Frame1"))),
      Label横位置(named(new QLabel(QStringLiteral("横位置")), QStringLiteral("Label横位置"))),
      Label横(labels<8>("Label横",
                        {"氏　名　：", "生年月日（年）：", "生年月日（月）：", "生年月日（日）：",
                         "支給認定番号：", "減　免　：", "障　が　い　：", "月　初　日　："})),
      Txt横(boxes<10>("Txt横")),
      Label11(labels<4>("Label11", {"一人目縦位置：", "一人あたりの使用縦数：",
                                    "減免設定のユーザー項目：", "障がい設定のユーザー項目："})),
      Txtユーザ項目(boxes<2>("Txtユーザ項目")),
      Cmd保存(named(new QPushButton(QStringLiteral("保存")), QStringLiteral("Cmd保存"))),
      Cmd閉じる(named(new QPushButton(QStringLiteral("閉じる")), QStringLiteral("Cmd閉じる"))),
      prompts_(prompts), clock_(clock), layoutIni_(std::move(layoutIni)) {
    setObjectName(QStringLiteral("F_うぇぶきらの札幌市連携設定画面"));
    setWindowTitle(QStringLiteral("設定画面"));
    buildLayout();
    // The form's design-time states.
    Opt必要量[0]->setChecked(true);
    Cmd複写->setVisible(false);
    connectControls();
    Form_Load();
}

void F_うぇぶきらの札幌市連携設定画面::buildLayout() {
    pair(Lbl年度, Cmb年度);
    pair(Lblシート名, Txtシート名);
    for (std::size_t i = 0; i < Label横.size(); ++i)
        pair(Label横[i], Txt横[i]);
    pair(Label11[0], Txt横[8]);
    pair(Label11[1], Txt横[9]);
    pair(Label11[2], Txtユーザ項目[0]);
    pair(Label11[3], Txtユーザ項目[1]);

    // Enter in a box must not press a button (a dialog's first button is its default): the form
    // has no default button, and an unasked save or copy question would only confuse.
    for (QPushButton* button : {Cmd複写, Cmd保存, Cmd閉じる})
        button->setAutoDefault(false);

    // Column letters and small numbers: narrow boxes, as on the form.
    const int narrow = Txt横[0]->fontMetrics().horizontalAdvance(QStringLiteral("MMMMM")) + 12;
    for (QLineEdit* box : Txt横)
        box->setFixedWidth(narrow);
    for (QLineEdit* box : Txtユーザ項目)
        box->setFixedWidth(narrow);
    Cmb年度->setMinimumContentsLength(6);
    Txtシート名->setMinimumWidth(
        Txtシート名->fontMetrics().horizontalAdvance(QStringLiteral("利用状況表（保育短時間）")) +
        24);

    auto* need = new QHBoxLayout(Frm必要量);
    need->addWidget(Opt必要量[0]);
    need->addWidget(Opt必要量[1]);

    auto* top = new QHBoxLayout;
    top->addWidget(Lbl年度);
    top->addWidget(Cmb年度);
    top->addSpacing(12);
    top->addWidget(Frm必要量);
    top->addSpacing(12);
    top->addWidget(Cmd複写);
    top->addStretch(1);

    auto* sheet = new QHBoxLayout;
    sheet->addWidget(Lblシート名);
    sheet->addWidget(Txtシート名, 1);

    // Left: the heading and the eight columns; right: the two row counts and the two item
    // numbers, then the buttons at the frame's lower right.
    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(Label横位置, 0, 0, 1, 2);
    for (int i = 0; i < 8; ++i) {
        grid->addWidget(Label横[i], i + 1, 0, Qt::AlignRight);
        grid->addWidget(Txt横[i], i + 1, 1);
    }
    grid->setColumnMinimumWidth(2, 24);
    QLineEdit* right[4] = {Txt横[8], Txt横[9], Txtユーザ項目[0], Txtユーザ項目[1]};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(Label11[i], i + 1, 3, Qt::AlignRight);
        grid->addWidget(right[i], i + 1, 4);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Cmd保存);
    buttons->addWidget(Cmd閉じる);
    grid->addLayout(buttons, 8, 3, 1, 2, Qt::AlignBottom);
    grid->setColumnStretch(2, 1);

    auto* window = new QVBoxLayout(this);
    window->addLayout(top);
    window->addLayout(sheet);
    window->addWidget(Frame1);
}

void F_うぇぶきらの札幌市連携設定画面::connectControls() {
    connect(Cmb年度, &QComboBox::currentIndexChanged, this, [this] { Cmb年度_Click(); });
    for (int i = 0; i < 2; ++i)
        connect(Opt必要量[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Opt必要量_Click(i);
        });
    connect(Cmd保存, &QPushButton::clicked, this, [this] { Cmd保存_Click(); });
    connect(Cmd複写, &QPushButton::clicked, this, [this] { Cmd複写_Click(); });
    connect(Cmd閉じる, &QPushButton::clicked, this, [this] { Cmd閉じる_Click(); });
    // Txtシート名_Change, Txt横_Change, Txtユーザ項目_Change: every change is an edit to save.
    auto changed = [this] { bln変更 = true; };
    connect(Txtシート名, &QLineEdit::textChanged, this, changed);
    for (QLineEdit* box : Txt横)
        connect(box, &QLineEdit::textChanged, this, changed);
    for (QLineEdit* box : Txtユーザ項目)
        connect(box, &QLineEdit::textChanged, this, changed);
}

std::string F_うぇぶきらの札幌市連携設定画面::caption() const {
    return str(windowTitle());
}

void F_うぇぶきらの札幌市連携設定画面::Form_Load() {
    setWindowTitle(windowTitle() + u' ' + QString::fromUtf8(kScreenVersion));
    LocalDateTime now = clock_.now();
    dates::Date today{std::chrono::year{now.year}, std::chrono::month(now.month),
                      std::chrono::day(now.day)};
    QSignalBlocker quiet(Cmb年度); // filling the list chooses nothing
    for (const std::string& year : citylink::layoutYearChoices(today))
        Cmb年度->addItem(qs(year));
    Cmb年度->setCurrentIndex(-1);
}

std::string F_うぇぶきらの札幌市連携設定画面::selectedYear() const {
    return str(Cmb年度->currentText().trimmed());
}

citylink::CareNeed F_うぇぶきらの札幌市連携設定画面::careNeed() const {
    return Opt必要量[0]->isChecked() ? citylink::CareNeed::Short : citylink::CareNeed::Standard;
}

void F_うぇぶきらの札幌市連携設定画面::Load設定() {
    Txtシート名->clear();
    for (QLineEdit* box : Txt横)
        box->clear();
    for (QLineEdit* box : Txtユーザ項目)
        box->clear();

    const std::string year = selectedYear();
    if (year.empty())
        return;
    std::optional<citylink::LayoutScreenValues> values;
    try {
        values = citylink::loadLayoutScreen(layoutIni_, year, careNeed());
    } catch (const std::exception& e) {
        reportFileError(e.what());
        return;
    }
    if (!values) {
        // Not set up: the fields stay empty and the year can be copied from the one before.
        Cmd複写->setVisible(true);
        return;
    }
    Txtシート名->setText(qs(values->シート名));
    for (std::size_t i = 0; i < Txt横.size(); ++i)
        Txt横[i]->setText(qs(values->横[i]));
    for (std::size_t i = 0; i < Txtユーザ項目.size(); ++i)
        Txtユーザ項目[i]->setText(qs(values->ユーザ項目[i]));
}

void F_うぇぶきらの札幌市連携設定画面::Cmb年度_Click() {
    // Another year drops unsaved edits without a question.
    Load設定();
    bln変更 = false;
}

void F_うぇぶきらの札幌市連携設定画面::Opt必要量_Click(int index) {
    if (bln切替中)
        return;
    if (bln変更 &&
        !prompts_.askYesNo(
            "確認", "保存していない内容がありますが、保存せずに表示を切り替えてよろしいですか？")) {
        // Back to the option the edits belong to; its own click must not reload.
        bln切替中 = true;
        Opt必要量[index >= 1 ? 0 : 1]->setChecked(true);
        bln切替中 = false;
        return;
    }
    Load設定();
    bln変更 = false;
}

void F_うぇぶきらの札幌市連携設定画面::Cmd保存_Click() {
    const std::string year = selectedYear();
    if (year.empty())
        return;
    if (!prompts_.askYesNo("確認", "設定を変更してよろしいですか？"))
        return;
    citylink::LayoutScreenValues values;
    values.シート名 = str(Txtシート名->text());
    for (std::size_t i = 0; i < Txt横.size(); ++i)
        values.横[i] = str(Txt横[i]->text());
    for (std::size_t i = 0; i < Txtユーザ項目.size(); ++i)
        values.ユーザ項目[i] = str(Txtユーザ項目[i]->text());
    // A save that did not take is never reported as saved: the edits stay, still unsaved.
    try {
        if (!citylink::saveLayoutScreen(layoutIni_, year, careNeed(), values)) {
            showError(prompts_, "設定を保存できませんでした。札幌市連携.INIに書き込めるか確認して"
                                "ください。");
            return;
        }
    } catch (const std::exception& e) {
        reportFileError(e.what());
        return;
    }
    showInfo(prompts_, caption(), "保存しました。");
    bln変更 = false;
}

void F_うぇぶきらの札幌市連携設定画面::Cmd複写_Click() {
    // With the empty entry chosen there is no year to copy into or from.
    const std::string year = selectedYear();
    if (year.empty())
        return;
    if (!prompts_.askYesNo("確認", "昨年度の設定を今年度の設定として複写しますか？")) {
        Cmd複写->setVisible(false);
        return;
    }
    try {
        if (!citylink::copyPreviousYearLayout(layoutIni_, year)) {
            showError(prompts_, "設定を複写できませんでした。札幌市連携.INIに書き込めるか確認して"
                                "ください。");
            return;
        }
    } catch (const std::exception& e) {
        reportFileError(e.what());
        return;
    }
    showInfo(prompts_, caption(), "設定を複写しました。");
    Load設定();
    bln変更 = false;
}

void F_うぇぶきらの札幌市連携設定画面::Cmd閉じる_Click() {
    close();
}

void F_うぇぶきらの札幌市連携設定画面::reject() {
    if (Form_QueryUnload())
        QDialog::reject();
}

bool F_うぇぶきらの札幌市連携設定画面::Form_QueryUnload() {
    return !bln変更 ||
           prompts_.askYesNo(
               "確認", "保存していない内容がありますが、保存せずに画面を閉じてよろしいですか？");
}

void F_うぇぶきらの札幌市連携設定画面::reportFileError(const std::string& what) {
    showError(prompts_, "札幌市連携.INIを読み書きできませんでした。\n" + what);
}
