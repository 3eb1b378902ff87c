#pragma once
// The properties dialog of one printer: a choice box per option, the user's current defaults
// chosen. It only shows and collects; whoever opened it stores the changes.
#include "printctl/printer_options.h"

#include <QDialog>

#include <vector>

class QComboBox;

namespace printctl {

class PropertiesDialog : public QDialog {
public:
    PropertiesDialog(const std::string& printer, std::vector<PrinterOption> options,
                     QWidget* parent = nullptr);
    // The options whose choice differs from the one the dialog opened with, in display order.
    OptionChanges Changes() const;

private:
    std::vector<PrinterOption> options_;
    std::vector<QComboBox*> boxes_;
};

} // namespace printctl
