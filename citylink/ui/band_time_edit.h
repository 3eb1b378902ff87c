#pragma once
// A care-band time field ("HH:mm"). QTimeEdit refuses a time typed over a select-all: the first
// digit would replace the whole text and "1" is no time, so the field kept its old value. Here a
// digit typed over the whole text starts the hour, and a whole time committed at once (an input
// method, a paste of "17:00") replaces the value. Full-width digits and colon are taken as the
// Japanese input method gives them.
#include <QTimeEdit>

class BandTimeEdit : public QTimeEdit {
public:
    explicit BandTimeEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // QAbstractSpinBox hands input-method events to its line edit from event(), not through
    // inputMethodEvent(): the commit is taken there.
    bool event(QEvent* event) override;

private:
    bool wholeTextSelected() const;
    // Sets the time from text such as "17:00", "7:05" or "1700" typed over the whole text; false
    // when the text is no whole time (it then goes to QTimeEdit as typed).
    bool takeWholeTime(const QString& text);
};
