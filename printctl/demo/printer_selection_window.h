#pragma once
// The printer-selection window of a calling program: the printers, four margins, OK and the
// printer's properties. It uses the printer-settings class in the order the class expects.
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace printctl {
class Clsプリンタ制御;
}

class PrinterSelectionWindow : public QDialog {
public:
    // printer: the class, kept by the caller for as long as the window lives.
    explicit PrinterSelectionWindow(printctl::Clsプリンタ制御& printer, QWidget* parent = nullptr);

    // Hands the window to the class, lists the printers and loads the saved choice and margins.
    // False when there is nothing to choose from (the class or the window has said why).
    bool Load(const std::string& programName);

    QComboBox* printerBox() const { return printerBox_; }
    QLineEdit* marginField(int index) const { return margins_[index]; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* propertiesButton() const { return properties_; }

private:
    void save();

    printctl::Clsプリンタ制御& printer_;
    QComboBox* printerBox_;
    QLineEdit* margins_[4];
    QPushButton* ok_;
    QPushButton* properties_;
};
