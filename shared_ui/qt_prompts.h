#pragma once
// Prompts shown as Qt dialogs: QMessageBox for messages and questions, QFileDialog for the choice
// of a file to open.
#include "foundation/prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>

class QtPrompts : public Prompts {
public:
    // parent: the window the dialogs belong to (centred over it, modal to it); may be set later.
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParentWidget(QWidget* parent) { parent_ = parent; }
    // The title of messages given without one; the application's display name when not set.
    // (Setting the display name itself would make Qt append it to every window title on X11.)
    void setProgramTitle(const QString& title) { programTitle_ = title; }

    // An empty title shows the program's title (see setProgramTitle).
    void message(MsgIcon icon, std::string_view title, std::string_view text) override;
    // Yes is the default button, so Enter answers Yes as in the programs this suite replaces.
    bool askYesNo(std::string_view title, std::string_view text) override;
    std::optional<std::string> chooseOpenFile(const OpenFileRequest& request) override;

    // The dialog chooseOpenFile shows, ready to exec(). Qt's own dialog is used rather than the
    // desktop's, because its name filters ignore letter case: Windows users' files named "a.csv"
    // must show under the filter "*.CSV" (desktop dialogs differ on this).
    std::unique_ptr<QFileDialog> makeOpenDialog(const OpenFileRequest& request) const;

    // "CSVファイル|*.CSV|全てのファイル|*.*" -> {"CSVファイル (*.CSV)", "全てのファイル (*.*)"}.
    // Several patterns of one entry ("*.xls;*.xlsx") are separated by blanks in Qt's form. A last
    // description without patterns is dropped; an empty filter gives an empty list (all files).
    static QStringList toQtNameFilters(std::string_view vbFilter);

    // Widens a box so that the window manager shows its whole title.
    static void fitTitle(QMessageBox& box);
    // What a title bar takes besides its text: the window icon, the buttons, the margins.
    static constexpr int kTitleBarExtra = 140;

private:
    QString titleOr(std::string_view title) const;

    QPointer<QWidget> parent_;
    QString programTitle_;
};
