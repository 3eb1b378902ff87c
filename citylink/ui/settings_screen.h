#pragma once
// The paste-position settings screen: per fiscal year and care need, where the usage-sheet run
// pastes each item into the city's workbook, kept in the layout file "札幌市連携.INI". The main
// window opens a new instance modally each time.
//
// The class keeps the form's Japanese name, so it has no Q_OBJECT (moc cannot read it): controls
// are connected with lambdas. Controls are public and carry their names as objectName; control
// arrays are indexed collections with the form's indexes.
#include "citylink/core/attendance.h"
#include "citylink/core/layout_screen.h"
#include "foundation/clock.h"
#include "foundation/prompts.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>
#include <filesystem>
#include <string>

class F_うぇぶきらの札幌市連携設定画面 : public QDialog {
public:
    // layoutIni: "札幌市連携.INI" in the program's folder. The clock gives the last fiscal year
    // offered. The window loads at once (Form_Load): no year chosen, all fields empty.
    F_うぇぶきらの札幌市連携設定画面(Prompts& prompts, const Clock& clock,
                                     std::filesystem::path layoutIni, QWidget* parent = nullptr);

    // The window's caption: the title of its information messages.
    std::string caption() const;
    // There are edits not yet saved.
    bool hasUnsavedChanges() const { return bln変更; }

    // ---- The controls ----
    QLabel* const Lbl年度;                  // "年度："
    QComboBox* const Cmb年度;               // "", "2018", 2019 .. today's fiscal year
    QGroupBox* const Frm必要量;             // no caption
    std::array<QRadioButton*, 2> Opt必要量; // 0 "短時間", 1 "標準時間"
    QPushButton* const Cmd複写;             // "昨年度設定を複写する"; hidden until needed
    QLabel* const Lblシート名;              // "貼付シート名："
    QLineEdit* const Txtシート名;
    QGroupBox* const Frame1;                 // "データ貼付位置設定"
    QLabel* const Label横位置;               // heading of the left column
    std::array<QLabel*, 8> Label横;          // the left column's labels, by their box's index
    std::array<QLineEdit*, 10> Txt横;        // 0-7 left column, 8-9 right column
    std::array<QLabel*, 4> Label11;          // the right column's labels
    std::array<QLineEdit*, 2> Txtユーザ項目; // 0 reduction ("4-2"), 1 disability ("4-1")
    QPushButton* const Cmd保存;              // "保存"
    QPushButton* const Cmd閉じる;            // "閉じる"

protected:
    // Escape, the close box and Cmd閉じる all end here: unsaved edits are asked about first.
    void reject() override;

private:
    void buildLayout();
    void connectControls();

    // ---- Event procedures ----
    void Form_Load();
    void Cmb年度_Click();
    void Opt必要量_Click(int index);
    void Cmd保存_Click();
    void Cmd複写_Click();
    void Cmd閉じる_Click();
    bool Form_QueryUnload(); // false cancels the close

    // ---- Private procedures ----
    void Load設定();
    std::string selectedYear() const;    // the trimmed text of Cmb年度
    citylink::CareNeed careNeed() const; // from Opt必要量
    // Reports a failure of the layout file's access; the fields stay as they are.
    void reportFileError(const std::string& what);

    Prompts& prompts_;
    const Clock& clock_;
    const std::filesystem::path layoutIni_;

    // ---- Window state ----
    bool bln変更 = false;   // edits not yet saved
    bool bln切替中 = false; // an option switch is being undone
};
