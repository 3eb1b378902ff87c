#include "citylink/ui/band_time_edit.h"

#include "foundation/dates.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

BandTimeEdit::BandTimeEdit(QWidget* parent) : QTimeEdit(parent) {
    setDisplayFormat(QStringLiteral("HH:mm"));
}

bool BandTimeEdit::wholeTextSelected() const {
    const QLineEdit* edit = lineEdit();
    return edit->hasSelectedText() && edit->selectedText() == edit->text();
}

bool BandTimeEdit::takeWholeTime(const QString& text) {
    std::optional<dates::TimeOfDay> t = dates::parseTimeOfDay(text.toStdString());
    if (!t) {
        // "1700", "705": hours and minutes without the colon.
        bool digits = text.size() >= 3 && text.size() <= 4 &&
                      std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
        if (!digits)
            return false;
        int hour = text.left(text.size() - 2).toInt();
        int minute = text.right(2).toInt();
        if (hour > 23 || minute > 59)
            return false;
        t = dates::TimeOfDay{hour, minute, 0};
    }
    setTime(QTime(t->hour, t->minute));
    selectAll();
    return true;
}

void BandTimeEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text().normalized(QString::NormalizationForm_KC);
    if (wholeTextSelected() && !text.isEmpty()) {
        if (text.size() > 1 && takeWholeTime(text)) {
            event->accept();
            return;
        }
        // The hour section takes the first digit; QTimeEdit moves on to the minutes by itself.
        if (text.front().isDigit())
            setSelectedSection(HourSection);
    }
    if (text != event->text()) {
        QKeyEvent ascii(event->type(), event->key(), event->modifiers(), text,
                        event->isAutoRepeat(), static_cast<quint16>(event->count()));
        QTimeEdit::keyPressEvent(&ascii);
        event->setAccepted(ascii.isAccepted());
        return;
    }
    QTimeEdit::keyPressEvent(event);
}

bool BandTimeEdit::event(QEvent* event) {
    if (event->type() == QEvent::InputMethod) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        const QString text = im->commitString().normalized(QString::NormalizationForm_KC);
        if (im->preeditString().isEmpty() && wholeTextSelected() && takeWholeTime(text)) {
            event->accept();
            return true;
        }
    }
    return QTimeEdit::event(event);
}
