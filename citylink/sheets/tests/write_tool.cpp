// Fills a workbook through the embedded engine from commands on standard input, then shows the
// application so that the engine saves the result at OUT. Used by the openpyxl check.
//
//   sheets_write_tool IN OUT < commands
//   SHEET<TAB>name                      the sheet the next commands write to
//   CELL<TAB>A1<TAB>text                one value
//   BLOCK<TAB>X6:BB9                    followed by one line per row, cells separated by tabs
#include "citylink/sheets/a1.h"
#include "citylink/sheets/embedded_engine.h"

#include <iostream>
#include <sstream>

namespace {

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, '\t'))
        parts.push_back(part);
    if (!line.empty() && line.back() == '\t')
        parts.emplace_back();
    return parts;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: sheets_write_tool IN OUT < commands\n";
        return 2;
    }
    std::string out = argv[2];
    try {
        sheets::EmbeddedEngineOptions options;
        options.outputPath = [&](const std::filesystem::path&) {
            return std::filesystem::path(out);
        };
        auto app = sheets::CreateEmbeddedApplication(options);
        auto book = app->Workbooks()->Open(argv[1]);
        sheets::WorksheetPtr sheet;
        std::string line;
        while (std::getline(std::cin, line)) {
            auto parts = split(line);
            if (parts.empty())
                continue;
            if (parts[0] == "SHEET" && parts.size() == 2) {
                sheet = book->Worksheets()->Item(parts[1]);
            } else if (parts[0] == "CELL" && parts.size() == 3 && sheet) {
                sheet->Range(parts[1])->setValue(parts[2]);
            } else if (parts[0] == "BLOCK" && parts.size() == 2 && sheet) {
                auto range = sheet->Range(parts[1]);
                auto ref = sheets::ParseRange(parts[1]);
                sheets::Block block;
                for (int r = 0; ref && r < ref->rows(); ++r) {
                    std::getline(std::cin, line);
                    block.push_back(split(line));
                    block.back().resize(static_cast<std::size_t>(ref->cols()));
                }
                range->setValues(block);
            } else {
                std::cerr << "bad command: " << line << "\n";
                return 2;
            }
        }
        app->setVisible(true);
        return 0;
    } catch (const sheets::AutomationError& e) {
        std::cerr << e.description() << "( " << e.number() << ")\n";
        return 1;
    }
}
