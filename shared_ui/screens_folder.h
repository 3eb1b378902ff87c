#pragma once
// The start of the programs that render their windows to PNG files for the documentation
// (citylink_screens, printctl_screens): NAME OUTPUT_FOLDER, with the windows drawn as on the
// clerk's Japanese desktop.
#include <QDir>

#include <optional>

// Call with the QApplication made. Installs Qt's translations for the desktop's language and
// prefers the Japanese font, and returns the output folder, the program's one argument. Without
// it, or when it does not exist, prints the usage or the folder on stderr and returns nothing
// (the program exits with 2).
std::optional<QDir> screensOutputFolder(int argc, char** argv);
