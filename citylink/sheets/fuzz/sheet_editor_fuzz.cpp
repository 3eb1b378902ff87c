// Worksheet parts and cell texts from untrusted workbooks: whatever the part holds, editing it
// must not crash and must leave a well-formed part; cell texts must survive the escaping.
#include "citylink/sheets/xlsx/cell_text.h"
#include "citylink/sheets/xlsx/formula_shift.h"
#include "citylink/sheets/xlsx/sheet_editor.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);

    std::string clean = sheets::xlsx::SanitizeUtf8(input);
    if (sheets::xlsx::UnescapeCellText(sheets::xlsx::EscapeCellText(clean)) != clean)
        std::abort();
    sheets::xlsx::NumberLiteral(input);
    sheets::xlsx::ShiftFormula(input, 3, -2);

    try {
        sheets::xlsx::SheetEditor editor(input, "fuzz");
        int row = size > 0 ? 1 + data[0] % 40 : 1;
        int col = size > 1 ? 1 + data[1] % 60 : 1;
        sheets::Block block{{"07", "", "ｱ"}, {"", input.substr(0, 16), "1.5"}};
        editor.write({row, col}, block);
        editor.read({row, col}, {"a", "b"});
        std::string out = editor.serialize();
        // Rows the part did not have are held compactly; made nodes at once they must give the
        // same part.
        sheets::xlsx::SheetEditor plain(input, "fuzz");
        plain.holdNewRowsCompact(false);
        plain.write({row, col}, block);
        if (plain.serialize() != out)
            std::abort();
        // A part the editor accepted and wrote must read back as written once saved and
        // parsed again (the input's own text in the block may be any text, so it is left out).
        sheets::xlsx::SheetEditor again(out, "fuzz-again");
        if (again.read({row, col}, {}) != "7" || again.read({row, col + 1}, {}) != "" ||
            again.read({row, col + 2}, {}) != "ｱ" || again.read({row + 1, col}, {}) != "" ||
            again.read({row + 1, col + 2}, {}) != "1.5")
            std::abort();
    } catch (const sheets::AutomationError&) {
        // refused input: fine
    }
    return 0;
}
