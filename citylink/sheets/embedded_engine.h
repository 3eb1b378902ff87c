#pragma once
// The embedded workbook engine: an application of its own that edits .xlsx and .xlsm files
// directly, used when no spreadsheet application is installed.
//
// It never writes the file it opened. Making the application visible saves every open workbook
// that changed since it was opened or last saved as a new file (by default beside the original,
// "<name>_記入済.xlsx", never over an existing file) and hands that file to the opener (the GUI
// opens it with the desktop's default application, the batch tool prints its path). Quit, or
// releasing every reference without showing the application, discards the changes.
#include "citylink/sheets/automation.h"
#include "citylink/sheets/registry.h"

#include <filesystem>
#include <functional>
#include <string>

namespace sheets {

struct EmbeddedEngineOptions {
    // Where the filled copy of the workbook opened from `original` is saved. Called once per
    // workbook, at its first save; later saves of the same workbook replace that file. A path
    // equal to the original is refused (the save throws). Default: FilledWorkbookPath.
    std::function<std::filesystem::path(const std::filesystem::path& original)> outputPath;
    // Called with the saved file after each save made by showing the application. Default: none.
    // An exception from it is reported as an AutomationError that names the saved file.
    std::function<void(const std::filesystem::path& saved)> opener;
};

// "<folder>/<stem>_記入済<ext>" beside the original; when that exists, "<stem>_記入済 (2)<ext>",
// " (3)" and so on: the first name that does not exist yet. For a filled copy itself
// ("<stem>_記入済<ext>", "<stem>_記入済 (n)<ext>") the stem is the clerk's workbook's: the next
// copy of the same workbook.
std::filesystem::path FilledWorkbookPath(const std::filesystem::path& original);
// The stem of the clerk's workbook that a file stem names: "<base>" for "<base>_記入済" and
// "<base>_記入済 (n)"; any other stem unchanged.
std::u8string FilledCopyBase(std::u8string_view stem);

// A new, invisible embedded-engine application holding no workbook.
ApplicationPtr CreateEmbeddedApplication(EmbeddedEngineOptions options = {});

// Registers the engine under an identifier (by default "Excel.Application", the second the
// window tries, so that an installed backend under "Excel.Application.15" wins).
void RegisterEmbeddedEngine(BackendRegistry& registry, EmbeddedEngineOptions options = {},
                            std::string progId = "Excel.Application");

} // namespace sheets
