#pragma once
// Keyboard input for window tests.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

// Replaces the text of a line edit as the clerk would: select all, delete, type, Enter. The text
// arrives in one key event as an input method commits it (QTest::keyClicks sends Latin-1 only).
inline void type(QWidget& field, const QString& text) {
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&field, Qt::Key_Backspace);
    if (!text.isEmpty()) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(&field, &press);
    }
    QTest::keyClick(&field, Qt::Key_Return);
}
