#pragma once
// A month field in the Japanese era form: shows and edits "ggg ee年mm月" ("令和 06年12月") and may
// be empty (no month entered). Only the year and month of its value count.
//
// Typing: any form dates::parseEraMonth reads ("令和6年12月", "R6.12.1", "2024/12/1"), and also the
// short forms "R6.12" and "2024/12"; the text is taken when the field loses focus or on Enter. A
// text that names no month is refused: the field shows its last value again. Up/Down step one
// month (across era boundaries), Page Up/Page Down one year.
#include "foundation/dates.h"

#include <QLineEdit>

#include <optional>
#include <string>

class EraMonthEdit : public QLineEdit {
    Q_OBJECT
public:
    using Date = dates::Date;

    explicit EraMonthEdit(QWidget* parent = nullptr);

    std::optional<Date> value() const { return value_; }
    // Sets the value (nullopt empties the field) and shows it in the display format.
    void setValue(std::optional<Date> value);
    // Sets the value from text as a user would type it; "" empties the field. Returns false, and
    // changes nothing, for a text that names no month.
    bool setValueText(const std::string& text);

    // The era format of the shown text (formatEra codes); "ggg ee年mm月" unless set.
    void setDisplayFormat(const std::string& format);
    const std::string& displayFormat() const { return format_; }

    // Moves the value by whole months (day 1 of the resulting month); nothing when empty.
    void stepMonths(int months);

    // Reads a month the way the field accepts typing; nullopt for a text that names no month.
    static std::optional<Date> parseMonthText(const std::string& text);

signals:
    // The content changed: a keystroke, a taken text, a step, or a value set by the program.
    // The window uses it to ask for a fresh CSV before the next run.
    void changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void commitText();
    void showValue();

    std::optional<Date> value_;
    std::string format_ = "ggg ee年mm月";
};
