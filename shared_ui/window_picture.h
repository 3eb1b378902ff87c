#pragma once
// Pictures of windows for the documentation (the screenshot programs of each deliverable).
#include <QDir>
#include <QString>
#include <QWidget>

// Shows window at its natural size and saves it as dir/name (PNG); prints the file's path on
// stdout. False, with a message on stderr, when the file cannot be written.
bool saveWindowPicture(QWidget& window, const QDir& dir, const QString& name);
