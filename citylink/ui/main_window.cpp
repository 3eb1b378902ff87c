#include "citylink/ui/main_window.h"

#include "citylink/core/csv_import.h"
#include "citylink/core/layout_settings.h"
#include "citylink/core/load_step.h"
#include "citylink/core/program_caption.h"
#include "citylink/core/trapped_error.h"
#include "citylink/ui/band_time_edit.h"
#include "citylink/ui/settings_screen.h"
#include "foundation/dates.h"
#include "foundation/utf8_path.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <optional>

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <class W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

QLabel* rule(QLabel* label) {
    label->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    return label;
}

QTimeEdit* bandField(int hour) {
    auto* field = new BandTimeEdit;
    field->setTime(QTime(hour, 0));
    return field;
}

} // namespace

F_うぇぶきらの札幌市連携::F_うぇぶきらの札幌市連携(Prompts& prompts, mdlLog& log,
                                                   const Clock& clock,
                                                   std::filesystem::path settingsFolder,
                                                   QWidget* parent)
    : QWidget(parent), Label5(named(new QLabel(QStringLiteral("札幌市連携プログラム")), "Label5")),
      Label2(named(rule(new QLabel), "Label2")),
      Label1(named(new QLabel(QStringLiteral("対象月")), "Label1")),
      対象日付(named(new EraMonthEdit, "対象日付")),
      Label6(named(
          new QLabel(QStringLiteral("登降園管理＞出席情報検索　から1ヶ月分の出席データをＣＳＶ出力"
                                    "したものを選択してください。")),
          "Label6")),
      cmdCSV選択(named(new QPushButton(QStringLiteral("①うぇぶきらのCSV選択")), "cmdCSV選択")),
      lblCSVファイル名(named(new QLabel, "lblCSVファイル名")),
      Frm連携(named(new QGroupBox(QStringLiteral("札幌市")), "Frm連携")),
      Opt大阪市{named(new QRadioButton(QStringLiteral("短時間")), "Opt大阪市(0)"),
                named(new QRadioButton(QStringLiteral("標準時間")), "Opt大阪市(1)")},
      Label4(named(new QLabel(QStringLiteral("短時間/標準時間の保育時間を設定してください。"
                                             "超過分に関して出力されます。")),
                   "Label4")),
      短時間開始(named(bandField(8), "短時間開始")),
      Label12(named(new QLabel(QStringLiteral("～")), "Label12")),
      短時間終了(named(bandField(16), "短時間終了")),
      標準時間終了(named(bandField(18), "標準時間終了")), Label3(named(rule(new QLabel), "Label3")),
      Cmd連携(named(new QPushButton(qs(citylink::kRunButtonCaption)), "Cmd連携")),
      Cmd設定ファイル(named(new QPushButton(QStringLiteral("設定")), "Cmd設定ファイル")),
      cmd終了(named(new QPushButton(QStringLiteral("閉じる")), "cmd終了")),
      lblMsg(named(new QLabel, "lblMsg")), prompts_(prompts), log_(log), clock_(clock),
      settingsFolder_(std::move(settingsFolder)), content_(new QWidget) {
    setObjectName(QString::fromUtf8("F_うぇぶきらの札幌市連携"));
    setWindowTitle(qs(citylink::kProgramTitle));
    buildLayout();
    connectControls();

    // The states the form has before its load step.
    Opt大阪市[0]->setChecked(true);
    Cmd連携->setEnabled(false);
    Cmd設定ファイル->setVisible(false);

    Form_Load();
}

F_うぇぶきらの札幌市連携::~F_うぇぶきらの札幌市連携() {
    // A window destroyed while busy must not leave the application with the hourglass.
    while (busyDepth_ > 0) {
        --busyDepth_;
        QApplication::restoreOverrideCursor();
    }
}

void F_うぇぶきらの札幌市連携::buildLayout() {
    QFont titleFont = Label5->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    Label5->setFont(titleFont);

    for (QLabel* instruction : {Label6, Label4})
        instruction->setWordWrap(true);
    // Screen readers (and tests through the accessibility bus) find every input by its label's
    // text; the buttons and options are named by their own captions. The band fields have no
    // label of their own: their names say which limit they hold.
    Label1->setBuddy(対象日付);
    対象日付->setAccessibleName(Label1->text());
    for (QTimeEdit* field : {短時間開始, 短時間終了, 標準時間終了})
        field->setAccessibleName(field->objectName());
    lblCSVファイル名->setAccessibleName(QStringLiteral("CSVファイル名"));
    対象日付->setMinimumWidth(
        対象日付->fontMetrics().horizontalAdvance(QStringLiteral("令和 00年00月")) + 24);
    lblCSVファイル名->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblCSVファイル名->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblCSVファイル名->setMinimumWidth(260);
    lblCSVファイル名->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    lblMsg->setMinimumHeight(lblMsg->fontMetrics().height() + 4);

    auto* monthRow = new QHBoxLayout;
    monthRow->addWidget(Label1);
    monthRow->addWidget(対象日付);
    monthRow->addStretch(1);

    auto* csvRow = new QHBoxLayout;
    csvRow->addWidget(cmdCSV選択);
    csvRow->addWidget(lblCSVファイル名, 1);

    // Each option stands beside its own band: the short-time band runs from 短時間開始 to
    // 短時間終了, the standard-time band ends at 標準時間終了, under the short-time end.
    auto* bands = new QGridLayout;
    bands->addWidget(Opt大阪市[0], 0, 0);
    bands->addWidget(短時間開始, 0, 1);
    bands->addWidget(Label12, 0, 2, Qt::AlignCenter);
    bands->addWidget(短時間終了, 0, 3);
    bands->addWidget(Opt大阪市[1], 1, 0);
    bands->addWidget(標準時間終了, 1, 3);
    bands->setColumnStretch(4, 1);

    auto* frame = new QVBoxLayout(Frm連携);
    frame->addWidget(Label4);
    frame->addLayout(bands);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd連携);
    buttons->addWidget(Cmd設定ファイル);
    buttons->addStretch(1);
    buttons->addWidget(cmd終了);

    auto* body = new QVBoxLayout(content_);
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(Label5);
    body->addWidget(Label2);
    body->addLayout(monthRow);
    body->addSpacing(6);
    body->addWidget(Label6);
    body->addLayout(csvRow);
    body->addSpacing(6);
    body->addWidget(Frm連携);
    body->addWidget(Label3);
    body->addLayout(buttons);

    auto* window = new QVBoxLayout(this);
    window->addWidget(content_);
    window->addWidget(lblMsg);
    // Wide enough for the CSV instruction on one line where the screen allows.
    int instructionWidth = Label6->fontMetrics().horizontalAdvance(Label6->text()) + 40;
    setMinimumWidth(std::clamp(instructionWidth, 520, 900));
}

void F_うぇぶきらの札幌市連携::connectControls() {
    connect(cmdCSV選択, &QPushButton::clicked, this, [this] { cmdCSV選択_Click(); });
    connect(Cmd連携, &QPushButton::clicked, this, [this] { Cmd連携_Click(); });
    connect(Cmd設定ファイル, &QPushButton::clicked, this, [this] { Cmd設定ファイル_Click(); });
    connect(cmd終了, &QPushButton::clicked, this, [this] { cmd終了_Click(); });
    connect(対象日付, &EraMonthEdit::changed, this, [this] { 対象日付_Change(); });
}

std::string F_うぇぶきらの札幌市連携::caption() const {
    return windowTitle().toStdString();
}

void F_うぇぶきらの札幌市連携::Form_Load() {
    loadSucceeded_ = citylink::RunLoadStep(
        layoutIniPath(), *this, prompts_, [this] { return caption(); },
        [this] {
            setWindowTitle(qs(citylink::programCaption()));
            OpenLog();
            WriteLog(caption());

            対象日付->setDisplayFormat("ggg ee年mm月");
            monthFormat_ = "ggg e年mm月";
            LocalDateTime now = clock_.now();
            dates::Date today{std::chrono::year{now.year}, std::chrono::month(now.month),
                              std::chrono::day(now.day)};
            if (!today.ok())
                throw NumberedError(errnum::describe(errnum::TypeMismatch), errnum::TypeMismatch);
            if (!対象日付->setValueText(dates::formatEra(today, monthFormat_)))
                throw NumberedError(errnum::describe(errnum::TypeMismatch), errnum::TypeMismatch);
        });
    if (!loadSucceeded_) {
        // The window goes without ever being shown; the program ends with it.
        Form_Unload();
        return;
    }
    // The settings screen needs the layout file the step has just seeded.
    Cmd設定ファイル->setVisible(true);
    WriteLog("Form_Load終了");
}

void F_うぇぶきらの札幌市連携::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Activation is reported late (or never, on some platforms) after the first show; the bands
    // must be in place before the clerk can touch them.
    Form_Activate();
}

bool F_うぇぶきらの札幌市連携::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

void F_うぇぶきらの札幌市連携::Form_Activate() {
    // The window is activated again each time a dialog over it closes; the bands are loaded once
    // so that those activations don't undo the clerk's edits.
    if (activatedOnce_)
        return;
    Load時間設定();
    activatedOnce_ = true;
}

void F_うぇぶきらの札幌市連携::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        Form_QueryUnload();
        Form_Unload();
    }
    event->accept();
}

void F_うぇぶきらの札幌市連携::Form_QueryUnload() {
    // Bands that were never loaded hold the form's defaults; saving them would overwrite the
    // clerk's settings, so only a window that has loaded them saves them. Closing is never refused.
    if (activatedOnce_)
        Save時間設定();
}

void F_うぇぶきらの札幌市連携::Form_Unload() {
    unloaded_ = true;
    // Closing goes ahead whatever happens to these last log steps.
    try {
        WriteLog("終了");
    } catch (...) {
    }
    try {
        CloseLog();
    } catch (...) {
    }
}

void F_うぇぶきらの札幌市連携::cmd終了_Click() {
    close();
}

void F_うぇぶきらの札幌市連携::Cmd設定ファイル_Click() {
    // A new screen each time: it reads the layout file afresh and nothing of it outlives it.
    F_うぇぶきらの札幌市連携設定画面 screen(prompts_, clock_, layoutIniPath(), this);
    screen.exec();
}

void F_うぇぶきらの札幌市連携::cmdCSV選択_Click() {
    // Step 1: choose the month's attendance CSV and read it; success enables Cmd連携. A failed or
    // refused file disables it, whatever it was before: the table then holds no usable month.
    csvPath_.clear();
    std::optional<std::string> chosen = prompts_.chooseOpenFile(citylink::csvOpenFileRequest());
    if (!chosen)
        return; // cancelled: nothing changes
    csvPath_ = *chosen;
    lblCSVファイル名->setText(qs(csvPath_));
    if (!Chk対象月()) {
        Cmd連携->setEnabled(false);
        return;
    }

    std::optional<citylink::BusyGuard> busy;
    citylink::CsvStepHooks hooks;
    hooks.setBusy = [&](bool on) {
        if (on)
            busy.emplace(*this);
        else
            busy.reset();
    };
    hooks.clearFileName = [this] { lblCSVファイル名->clear(); };
    bool ok = false;
    try {
        ok = citylink::ReadCSVtoCsvArray(utf8::toPath(csvPath_), *対象日付->value(), attendance_,
                                         prompts_, *this, caption(), Cmd連携->text().toStdString(),
                                         hooks);
    } catch (const std::exception&) {
        busy.reset();
        WriteLog(citylink::TrappedError::current().logText());
        prompts_.message(MsgIcon::None, "", "CSVの読み込みに失敗しました。");
    }
    Cmd連携->setEnabled(ok);
}

void F_うぇぶきらの札幌市連携::Cmd連携_Click() {
    // Step 2: the usage-sheet run; it reports its own outcome.
    延長時間貼付処理();
}

citylink::UsageSheetRun& F_うぇぶきらの札幌市連携::run() {
    static const sheets::BackendRegistry kNoBackends;
    if (!run_)
        run_ = std::make_unique<citylink::UsageSheetRun>(registry_ ? *registry_ : kNoBackends,
                                                         prompts_, *this, *this);
    return *run_;
}

void F_うぇぶきらの札幌市連携::延長時間貼付処理() {
    citylink::UsageSheetInputs in;
    in.targetMonth = 対象日付->value();
    in.careNeed =
        Opt大阪市[0]->isChecked() ? citylink::CareNeed::Short : citylink::CareNeed::Standard;
    in.bands = careBands();
    in.attendance = &attendance_;
    in.layoutIni = layoutIniPath();
    in.caption = caption();
    in.checkTargetMonth = [this] { return Chk対象月(); };
    in.lastFilledWorkbook = lastFilledWorkbook_;
    lastRunOutcome_ = run().延長時間貼付処理(in);
}

void F_うぇぶきらの札幌市連携::対象日付_Change() {
    // A CSV read for another month must not feed the run: read it again first.
    Cmd連携->setEnabled(false);
}

bool F_うぇぶきらの札幌市連携::Chk対象月() {
    if (!対象日付->value()) {
        showInfo(prompts_, caption(), "対象月を入力して下さい。");
        対象日付->setFocus();
        return false;
    }
    return true;
}

namespace {

dates::TimeOfDay timeOf(const QTimeEdit* field) {
    QTime t = field->time();
    return dates::TimeOfDay{t.hour(), t.minute(), 0};
}

} // namespace

citylink::CareBands F_うぇぶきらの札幌市連携::careBands() const {
    return citylink::CareBands{timeOf(短時間開始), timeOf(短時間終了), timeOf(標準時間終了)};
}

void F_うぇぶきらの札幌市連携::Load時間設定() {
    // A value that is no time leaves its field as it was. An unreadable file leaves all three:
    // the clerk can still work with the bands shown, so only the log hears of it.
    citylink::CareBands bands = careBands();
    try {
        citylink::Load時間設定(timeIniPath(), bands);
    } catch (const std::exception& e) {
        WriteLog(std::string("Load時間設定: ") + e.what());
        return;
    }
    短時間開始->setTime(QTime(bands.短時間開始.hour, bands.短時間開始.minute));
    短時間終了->setTime(QTime(bands.短時間終了.hour, bands.短時間終了.minute));
    標準時間終了->setTime(QTime(bands.標準時間終了.hour, bands.標準時間終了.minute));
}

void F_うぇぶきらの札幌市連携::Save時間設定() {
    // Saved on every close without asking; closing goes on whatever happens to the file.
    try {
        if (!citylink::Save時間設定(timeIniPath(), careBands()))
            WriteLog("Save時間設定: 時間設定ファイルに書き込めません。");
    } catch (const std::exception& e) {
        WriteLog(std::string("Save時間設定: ") + e.what());
    }
}

void F_うぇぶきらの札幌市連携::setBusy(bool busy) {
    if (busy) {
        if (busyDepth_++ == 0) {
            content_->setEnabled(false);
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        return;
    }
    if (busyDepth_ == 0)
        return;
    if (--busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
        content_->setEnabled(true);
    }
}

void F_うぇぶきらの札幌市連携::setStatus(std::string_view text) {
    lblMsg->setText(qs(text));
    lblMsg->repaint();
}
