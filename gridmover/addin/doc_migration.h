#pragma once
// The migration dialog, the document the add-in's tool window hosts: the grid version the project
// uses now (source), the version to convert to (target), OK to migrate, Cancel to close.
#include "gridmover/addin/environment.h"
#include "gridmover/addin/status_window.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <memory>
#include <string_view>

namespace gridmover::addin {

class docMigration : public QWidget, public UserDocument {
public:
    explicit docMigration(QWidget* parent = nullptr);
    ~docMigration() override;

    QLabel* FromLabel;
    QComboBox* FromCombo;
    QLabel* ToLabel;
    QComboBox* ToCombo;
    QFrame* Picture1;
    QLabel* Picture2;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    // Fills both lists with the installed versions, once: a later call leaves them as they are.
    void ScanRegistry();
    // Hides the window again while a program runs in the environment.
    void UserDocument_Show() override;

    void FromCombo_Click();
    void ToCombo_Click();
    void CancelButton_Click();
    // The migration run from the selected source to the selected target.
    void OKButton_Click();

    // The run's progress window (created with the dialog, shown only during a run).
    Status& StatusWindow() { return *status_; }

private:
    // OK is enabled exactly when both lists have a selection and they differ.
    void UpdateOKButton();

    std::unique_ptr<Status> status_;
};

// The document the environment creates for a programmatic identifier: the migration dialog for
// "GRIDMOVER.docMigration", nullptr for any other. The widget is also the UserDocument.
std::unique_ptr<QWidget> CreateUserDocument(std::string_view progId);

} // namespace gridmover::addin
