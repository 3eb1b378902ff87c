#pragma once
// Handing the filled workbook to the clerk. With the embedded engine the run's result is a new
// file beside the clerk's workbook; where a spreadsheet application would stay open and visible,
// the desktop opens that file with its default application instead.
#include "foundation/prompts.h"

#include <QUrl>

#include <filesystem>
#include <functional>
#include <string>

// The engine's opener for the GUI: asks the desktop to open the saved file (`open`, by default
// QDesktopServices::openUrl). When the desktop cannot (no application registered for workbooks,
// no desktop at all), the clerk would be told to check and save a workbook that never appears, so
// the opener then says where the file is: "記入済みのブックを次のファイルに保存しました。" and
// the path (information icon; the window's caption, asked when the message is shown, as title).
std::function<void(const std::filesystem::path&)>
filledWorkbookOpener(Prompts& prompts, std::function<std::string()> caption,
                     std::function<bool(const QUrl&)> open = {});
