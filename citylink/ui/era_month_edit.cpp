#include "citylink/ui/era_month_edit.h"

#include <QKeyEvent>

#include <regex>

using namespace std::chrono;

EraMonthEdit::EraMonthEdit(QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(QStringLiteral("令和 00年00月"));
    connect(this, &QLineEdit::textEdited, this, [this] { emit changed(); });
    connect(this, &QLineEdit::editingFinished, this, [this] { commitText(); });
}

void EraMonthEdit::setValue(std::optional<Date> value) {
    if (value && !value->ok())
        value.reset();
    bool differs = value != value_;
    value_ = value;
    QString before = text();
    showValue();
    if (differs || text() != before)
        emit changed();
}

bool EraMonthEdit::setValueText(const std::string& text) {
    if (text.find_first_not_of(" \t\u3000") == std::string::npos) {
        setValue(std::nullopt);
        return true;
    }
    auto parsed = parseMonthText(text);
    if (!parsed)
        return false;
    setValue(parsed);
    return true;
}

void EraMonthEdit::setDisplayFormat(const std::string& format) {
    format_ = format;
    showValue();
}

void EraMonthEdit::stepMonths(int months) {
    if (!value_)
        return;
    year_month ym = year_month{value_->year(), value_->month()} + std::chrono::months{months};
    setValue(Date{ym / day{1}});
}

std::optional<dates::Date> EraMonthEdit::parseMonthText(const std::string& text) {
    if (auto d = dates::parseEraMonth(text))
        return d;
    // A month without a day ("2024/12", "R6.12"): the masked controls this field replaces took
    // the month alone, so the day is supplied as the 1st with the separator the text uses.
    static const std::regex shortForm(R"(^\s*([^/.\-\s]+)([/.\-])(\d{1,2})\s*$)");
    std::smatch m;
    if (std::regex_match(text, m, shortForm))
        return dates::parseEraMonth(m[1].str() + m[2].str() + m[3].str() + m[2].str() + "1");
    return std::nullopt;
}

void EraMonthEdit::keyPressEvent(QKeyEvent* event) {
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up:
        step = 1;
        break;
    case Qt::Key_Down:
        step = -1;
        break;
    case Qt::Key_PageUp:
        step = 12;
        break;
    case Qt::Key_PageDown:
        step = -12;
        break;
    default:
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Half-typed text is taken first, so the step starts from what the user sees.
    commitText();
    stepMonths(step);
    event->accept();
}

void EraMonthEdit::commitText() {
    if (!setValueText(text().toStdString()))
        showValue();
}

void EraMonthEdit::showValue() {
    QString shown = value_ ? QString::fromStdString(dates::formatEra(*value_, format_)) : QString();
    if (shown != text())
        setText(shown);
}
