#pragma once
// One opened workbook of the embedded engine: its package, its worksheets by name, the sheets
// edited so far, and the save that writes all edits into a new file.
#include "citylink/sheets/xlsx/sheet_editor.h"
#include "citylink/sheets/xlsx/xlsx_package.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sheets::xlsx {

// Which cell formats of a styles part are the Text format, by cell-format index.
std::vector<bool> ReadTextFormats(const std::string& stylesXml);

class WorkbookFile {
public:
    // Opens .xlsx and .xlsm files. Throws AutomationError (kApplicationDefined) with
    // "not a workbook this engine can open: <file name> (<reason>)" for any other file, and with
    // a clear reason when the package is damaged.
    explicit WorkbookFile(const std::filesystem::path& file);

    const std::filesystem::path& path() const { return package_.path(); }
    struct SheetEntry {
        std::string name; // as the workbook spells it
        std::string part; // "xl/worksheets/sheet1.xml"
    };
    // The worksheets in workbook order (chart sheets are not worksheets).
    const std::vector<SheetEntry>& sheets() const { return sheets_; }
    // Index of the worksheet of that name (letter case ignored), or -1.
    int find(std::string_view name) const;

    void write(int sheet, CellRef first, const Block& block);
    void writeCell(int sheet, CellRef cell, std::string_view value);
    std::string read(int sheet, CellRef cell);
    // The sheet's used area (SheetEditor::usedArea).
    std::optional<RangeRef> usedArea(int sheet) { return editor(sheet).usedArea(); }
    bool changed() const;

    // Writes the workbook with every edit to `out` (atomically; see XlsxPackage::saveAs). Edited
    // sheets are replaced; when a written cell lost its formula, the calculation chain (a cache
    // the application rebuilds) is removed with its relationship and content-type entry; the
    // workbook asks for a full recalculation on load, since cells that formulas read have changed.
    void saveAs(const std::filesystem::path& out);

private:
    SheetEditor& editor(int sheet);

    XlsxPackage package_;
    std::string workbookPart_;
    std::string workbookXml_; // the workbook part as read
    std::string calcChainPart_;
    std::string sharedStringsPart_;
    std::vector<SheetEntry> sheets_;
    std::map<int, std::unique_ptr<SheetEditor>> editors_;
    std::optional<std::vector<std::string>> sharedStrings_;
    std::string stylesPart_;
    std::optional<std::vector<bool>> textFormats_;
};

} // namespace sheets::xlsx
