#include "citylink/sheets/xlsx/sheet_editor.h"

#include "citylink/sheets/xlsx/cell_text.h"
#include "citylink/sheets/xlsx/formula_shift.h"
#include "citylink/sheets/xlsx/shared_strings.h"

#include <algorithm>
#include <charconv>

namespace sheets::xlsx {

namespace {

std::optional<int> parseRowNumber(std::string_view text) {
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < 1 || value > kMaxRow)
        return std::nullopt;
    return value;
}

// The first cell element at or after the node, skipping text; null at the first other element
// (an extLst after the cells), which is then given in `stop`.
pugi::xml_node cellFrom(pugi::xml_node node, pugi::xml_node& stop) {
    for (; node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element)
            continue;
        if (LocalName(node.name()) == "c")
            return node;
        stop = node;
        return {};
    }
    return {};
}

} // namespace

// The column of a cell element from its reference; every cell has one after loading.
int SheetEditor::columnOf(pugi::xml_node cell) {
    std::string_view r = cell.attribute("r").value();
    std::size_t letters = 0;
    while (letters < r.size() &&
           ((r[letters] >= 'A' && r[letters] <= 'Z') || (r[letters] >= 'a' && r[letters] <= 'z')))
        ++letters;
    return ColumnNumber(r.substr(0, letters)).value_or(0);
}

SheetEditor::SheetEditor(std::string xml, const std::string& partName)
    : partName_(partName), text_(std::move(xml)) {
    // Parsed in place: the tree points into the part's text instead of a copy of it.
    bool parsed = LoadPartInPlace(doc_, text_, partName);
    pugi::xml_node root = doc_.document_element();
    if (!parsed || LocalName(root.name()) != "worksheet")
        Fail("ブックのシートが正しい XML ではありません: " + partName);
    prefix_ = NamespacePrefix(root);
    sheetData_ = ChildNamed(root, "sheetData");
    dimension_ = ChildNamed(root, "dimension");
    for (pugi::xml_node merge : ChildNamed(root, "mergeCells").children())
        if (LocalName(merge.name()) == "mergeCell")
            if (auto ref = ParseRange(merge.attribute("ref").value()))
                merges_.push_back(*ref);
    for (pugi::xml_node col : ChildNamed(root, "cols").children()) {
        if (LocalName(col.name()) == "col" && col.attribute("style"))
            columnStyles_.push_back({col.attribute("min").as_int(), col.attribute("max").as_int(),
                                     col.attribute("style").value()});
    }

    // Rows and cells may leave out their reference ("r"), each then following the previous one.
    // Give every one its explicit reference, so that rows and cells inserted later cannot shift
    // the meaning of those that follow them.
    int lastRow = 0;
    for (pugi::xml_node row : sheetData_.children()) {
        if (row.type() != pugi::node_element || LocalName(row.name()) != "row")
            continue;
        int number = 0;
        if (pugi::xml_attribute r = row.attribute("r")) {
            auto parsed = parseRowNumber(r.value());
            if (!parsed)
                Fail("ブックのシートの行が壊れています: " + partName);
            number = *parsed;
        } else {
            number = lastRow + 1;
            if (number > kMaxRow)
                Fail("ブックのシートの行が壊れています: " + partName);
            row.prepend_attribute("r").set_value(number);
        }
        lastRow = number;
        // Two rows of one number, or a cell whose reference is no plain address of its own row
        // ("$A1", "A7" inside row 5) or names a column twice: a write would go to one of them
        // and another reader would show the other, so the written value would not read back.
        if (!rows_.emplace(number, row).second)
            Fail("ブックのシートの行が壊れています: " + partName + " (行 " +
                 std::to_string(number) + " が2つあります)");
        int lastCol = 0;
        bool sorted = true;
        for (pugi::xml_node cell : row.children()) {
            if (cell.type() != pugi::node_element || LocalName(cell.name()) != "c")
                continue;
            if (pugi::xml_attribute r = cell.attribute("r")) {
                std::string_view text = r.value();
                auto ref = ParseCell(text);
                if (!ref || text.find('$') != std::string_view::npos || ref->row != number)
                    Fail("ブックのシートのセルが壊れています: " + partName + " (" +
                         std::string(text.substr(0, 20)) + ")");
                sorted = sorted && ref->col > lastCol;
                lastCol = ref->col;
            } else {
                ++lastCol;
                if (lastCol > kMaxColumn)
                    Fail("ブックのシートのセルが壊れています: " + partName);
                cell.prepend_attribute("r").set_value(CellAddress({number, lastCol}).c_str());
            }
        }
        if (!sorted && !sortCells(row))
            Fail("ブックのシートのセルが壊れています: " + partName + " (行 " +
                 std::to_string(number) + " の1つの列にセルが2つあります)");
    }
}

std::optional<RangeRef> SheetEditor::usedArea() const {
    std::optional<RangeRef> area;
    auto include = [&](const RangeRef& r) {
        if (!area) {
            area = r;
            return;
        }
        area->first.row = std::min(area->first.row, r.first.row);
        area->first.col = std::min(area->first.col, r.first.col);
        area->last.row = std::max(area->last.row, r.last.row);
        area->last.col = std::max(area->last.col, r.last.col);
    };
    // The rows in the order of their numbers, those held compactly among them.
    auto fresh = newRows_.begin();
    for (auto it = rows_.begin(); it != rows_.end() || fresh != newRows_.end();) {
        int number = 0;
        int first = 0, last = 0;
        pugi::xml_node row;
        if (it == rows_.end() || (fresh != newRows_.end() && fresh->first < it->first)) {
            number = fresh->first;
            if (!fresh->second.cells.empty()) {
                first = fresh->second.cells.front().col;
                last = fresh->second.cells.back().col;
            }
            ++fresh;
        } else {
            number = it->first;
            row = it->second;
            ++it;
        }
        for (pugi::xml_node cell : row.children()) {
            if (cell.type() != pugi::node_element || LocalName(cell.name()) != "c")
                continue;
            int col = columnOf(cell);
            if (col < 1)
                continue;
            first = first == 0 ? col : std::min(first, col);
            last = std::max(last, col);
        }
        // A row without cells still holds the row's format: it counts for its row only.
        int at = first == 0 ? (area ? area->first.col : 1) : first;
        include(RangeRef{{number, at}, {number, first == 0 ? at : last}});
    }
    for (const RangeRef& merged : merges_)
        include(merged);
    return area;
}

pugi::xml_node SheetEditor::row(int number) const {
    auto it = rows_.find(number);
    return it == rows_.end() ? pugi::xml_node() : it->second;
}

pugi::xml_node SheetEditor::rowForWrite(int number) {
    if (auto it = rows_.find(number); it != rows_.end())
        return it->second;
    ensureSheetData();
    auto next = rows_.upper_bound(number);
    if (rowName_.empty())
        rowName_ = name("row");
    pugi::xml_node row = next != rows_.end()
                             ? sheetData_.insert_child_before(rowName_.c_str(), next->second)
                             : sheetData_.append_child(rowName_.c_str());
    row.append_attribute("r").set_value(number);
    rows_.emplace_hint(next, number, row);
    return row;
}

void SheetEditor::ensureSheetData() {
    if (!sheetData_) {
        // The sheet data comes after these elements of a worksheet, before all others.
        pugi::xml_node root = doc_.document_element();
        pugi::xml_node after;
        for (pugi::xml_node child : root.children()) {
            if (child.type() != pugi::node_element)
                continue;
            std::string_view local = LocalName(child.name());
            if (local == "sheetPr" || local == "dimension" || local == "sheetViews" ||
                local == "sheetFormatPr" || local == "cols")
                after = child;
        }
        sheetData_ = after ? root.insert_child_after(name("sheetData").c_str(), after)
                           : root.prepend_child(name("sheetData").c_str());
    }
}

// Puts a row's cells in column order (elements after them, such as extLst, stay last), so that
// every later insertion can rely on the order. False when two cells have the same column.
bool SheetEditor::sortCells(pugi::xml_node row) {
    std::vector<Cell> cells;
    std::vector<pugi::xml_node> trailing;
    for (pugi::xml_node child : row.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (LocalName(child.name()) == "c")
            cells.push_back({columnOf(child), child});
        else
            trailing.push_back(child);
    }
    std::stable_sort(cells.begin(), cells.end(),
                     [](const Cell& a, const Cell& b) { return a.col < b.col; });
    for (std::size_t i = 1; i < cells.size(); ++i)
        if (cells[i].col == cells[i - 1].col)
            return false;
    for (const Cell& c : cells)
        row.append_move(c.node);
    for (pugi::xml_node t : trailing)
        row.append_move(t);
    return true;
}

void SheetEditor::setCell(pugi::xml_node cell, const std::string& value, bool fresh) {
    // A cell made for this write has no value, formula or type to remove.
    for (pugi::xml_node child = fresh ? pugi::xml_node() : cell.first_child(); child;) {
        pugi::xml_node next = child.next_sibling();
        std::string_view local = LocalName(child.name());
        if (child.type() == pugi::node_element && (local == "f" || local == "v" || local == "is")) {
            if (local == "f")
                droppedFormula_ = true;
            cell.remove_child(child);
        }
        child = next;
    }
    // Type, cell metadata and value metadata belong to the value that is replaced; the style
    // ("s") and the reference stay.
    if (!fresh) {
        cell.remove_attribute("t");
        cell.remove_attribute("cm");
        cell.remove_attribute("vm");
    }
    if (value.empty())
        return;
    pugi::xml_node ext = fresh ? pugi::xml_node() : ChildNamed(cell, "extLst");
    auto add = [&](const char* local) {
        return ext ? cell.insert_child_before(name(local).c_str(), ext)
                   : cell.append_child(name(local).c_str());
    };
    StoredValue stored = StoreAssignedText(value, textFormat(cell.attribute("s").as_uint(0)));
    if (stored.number) {
        add("v").append_child(pugi::node_pcdata).set_value(stored.text.c_str());
        return;
    }
    // Text goes in as an inline string: the shared-strings part stays as it is (no indexes to
    // renumber, no counts to keep), and spreadsheet applications read inline strings and move
    // them into their shared table on their next save.
    cell.append_attribute("t").set_value("inlineStr");
    pugi::xml_node t = add("is").append_child(name("t").c_str());
    if (NeedsSpacePreserved(stored.text))
        t.append_attribute("xml:space").set_value("preserve");
    t.append_child(pugi::node_pcdata).set_value(stored.text.c_str());
}

bool SheetEditor::textFormat(unsigned style) const {
    return textFormats_ && style < textFormats_->size() && (*textFormats_)[style];
}

// The index a cell's "s" of that text stands for, read as the tree's reader reads the attribute.
unsigned SheetEditor::styleIndex(const std::string& style) const {
    if (style.empty())
        return 0;
    if (style.size() <= 9 && style.find_first_not_of("0123456789") == std::string::npos) {
        unsigned index = 0;
        std::from_chars(style.data(), style.data() + style.size(), index);
        return index;
    }
    // Anything else (blanks, signs, hex) exactly as that reader takes it.
    pugi::xml_document scratch;
    pugi::xml_attribute s = scratch.append_child("c").append_attribute("s");
    s.set_value(style.c_str());
    return s.as_uint(0);
}

std::pair<int, int> SheetEditor::writeNewCells(NewRow& row, int firstCol,
                                               std::span<const std::string> values) {
    // The same cells the tree would get (see write): a written place that holds a cell keeps it
    // and its style, an empty text clears it; a new cell only for a text, with the style it
    // would take when typed in.
    const bool unstyledText = textFormat(0); // a cell without "s" has the first format
    auto assign = [&](NewCell& cell, const std::string& value) {
        if (value.empty()) {
            newTexts_.setValue(cell, {}, false);
            return;
        }
        StoredValue stored = StoreAssignedText(
            value, cell.style == 0 ? unstyledText : textFormat(styleIndex(newTexts_.style(cell))));
        newTexts_.setValue(cell, stored.text, !stored.number);
    };
    // The style a new cell takes: its column's (a row the editor made has none of its own).
    auto styleOf = [&](int col) -> std::uint32_t {
        const std::string* style = columnStyle(col);
        return style && !style->empty() && *style != "0" ? newTexts_.keepStyle(*style) : 0;
    };
    int minCreated = 0;
    int maxCreated = 0;
    // A row filled from left to right (the usual way) only gains cells at its end.
    if (row.cells.empty() || row.cells.back().col < firstCol) {
        row.cells.reserve(row.cells.size() + static_cast<std::size_t>(std::count_if(
                                                 values.begin(), values.end(),
                                                 [](const std::string& v) { return !v.empty(); })));
        for (std::size_t j = 0; j < values.size(); ++j) {
            if (values[j].empty())
                continue;
            const int col = firstCol + static_cast<int>(j);
            NewCell& cell = row.cells.emplace_back();
            cell.col = col;
            cell.style = styleOf(col);
            assign(cell, values[j]);
            minCreated = minCreated == 0 ? col : minCreated;
            maxCreated = col;
        }
        return {minCreated, maxCreated};
    }
    std::vector<NewCell> merged;
    merged.reserve(row.cells.size() + values.size());
    std::size_t k = 0;
    for (std::size_t j = 0; j < values.size(); ++j) {
        const int col = firstCol + static_cast<int>(j);
        while (k < row.cells.size() && row.cells[k].col < col)
            merged.push_back(std::move(row.cells[k++]));
        if (k < row.cells.size() && row.cells[k].col == col) {
            merged.push_back(std::move(row.cells[k++]));
            assign(merged.back(), values[j]);
            continue;
        }
        if (values[j].empty())
            continue;
        NewCell& cell = merged.emplace_back();
        cell.col = col;
        cell.style = styleOf(col);
        assign(cell, values[j]);
        minCreated = minCreated == 0 ? col : minCreated;
        maxCreated = col;
    }
    while (k < row.cells.size())
        merged.push_back(std::move(row.cells[k++]));
    row.cells = std::move(merged);
    return {minCreated, maxCreated};
}

// The style a cell typed into an empty place gets: its row's when the row has one of its own,
// otherwise its column's.
std::string SheetEditor::inheritedStyle(pugi::xml_node row, int col) const {
    if (row.attribute("customFormat").as_bool() && row.attribute("s"))
        return row.attribute("s").value();
    const std::string* style = columnStyle(col);
    return style ? *style : std::string();
}

// A column's own style (null for none; it may be empty). A row the editor made has no style of
// its own, so its new cells take this one.
const std::string* SheetEditor::columnStyle(int col) const {
    for (const auto& c : columnStyles_)
        if (col >= c.min && col <= c.max)
            return &c.style;
    return nullptr;
}

bool SheetEditor::isSharedMaster(pugi::xml_node cell, pugi::xml_node& f) {
    if (LocalName(cell.name()) != "c")
        return false;
    f = ChildNamed(cell, "f");
    return f && std::string_view(f.attribute("t").value()) == "shared" &&
           !std::string_view(f.attribute("ref").value()).empty();
}

void SheetEditor::unshareFormulasIn(CellRef first, int rows, int cols) {
    // Most sheets share no formula at all: they are looked for once, not at every write of a
    // cell. Writes only ever remove shared formulas, so a sheet without one stays so.
    if (!sharedMasters_) {
        sharedMasters_ = false;
        pugi::xml_node f;
        for (const auto& [number, row] : rows_) {
            for (pugi::xml_node cell : row.children())
                if (isSharedMaster(cell, f)) {
                    sharedMasters_ = true;
                    break;
                }
            if (*sharedMasters_)
                break;
        }
    }
    if (!*sharedMasters_)
        return;
    struct Master {
        CellRef at;
        std::string formula;
    };
    std::map<std::string, Master> masters; // by shared index (si)
    for (auto it = rows_.lower_bound(first.row); it != rows_.end() && it->first < first.row + rows;
         ++it) {
        for (pugi::xml_node cell : it->second.children()) {
            pugi::xml_node f;
            if (!isSharedMaster(cell, f))
                continue;
            auto ref = ParseCell(cell.attribute("r").value());
            if (ref && ref->col >= first.col && ref->col < first.col + cols)
                masters[f.attribute("si").value()] = {*ref, f.text().get()};
        }
    }
    if (masters.empty())
        return;

    // A shared formula's text lives only in its first cell. Before that cell is overwritten,
    // every other cell of the group gets the formula as it reads from there; all are computed
    // before anything changes, so a formula that cannot be copied leaves the sheet untouched.
    std::vector<std::pair<pugi::xml_node, std::string>> plan;
    for (const auto& [number, row] : rows_) {
        for (pugi::xml_node cell : row.children()) {
            if (LocalName(cell.name()) != "c")
                continue;
            pugi::xml_node f = ChildNamed(cell, "f");
            if (!f || std::string_view(f.attribute("t").value()) != "shared" ||
                !std::string_view(f.attribute("ref").value()).empty())
                continue;
            auto master = masters.find(f.attribute("si").value());
            if (master == masters.end())
                continue;
            auto ref = ParseCell(cell.attribute("r").value());
            auto moved =
                ref ? ShiftFormula(master->second.formula, ref->row - master->second.at.row,
                                   ref->col - master->second.at.col)
                    : std::nullopt;
            if (!moved)
                Fail("セル " + CellAddress(master->second.at) +
                     " の数式は他のセルと共有されていて複写できないため、このセルには書き込みませ"
                     "ん");
            plan.emplace_back(f, std::move(*moved));
        }
    }
    for (auto& [f, text] : plan) {
        f.remove_attribute("t");
        f.remove_attribute("si");
        f.text().set(text.c_str());
    }
}

void SheetEditor::extendDimension(const RangeRef& written) {
    if (!dimension_)
        return;
    // Read once: after that the attribute holds what was last written into it.
    if (!dimensionRead_) {
        dimensionRead_ = true;
        dimensionArea_ = ParseRange(dimension_.attribute("ref").value());
    }
    if (!dimensionArea_)
        return;
    const RangeRef& current = *dimensionArea_;
    RangeRef merged{{std::min(current.first.row, written.first.row),
                     std::min(current.first.col, written.first.col)},
                    {std::max(current.last.row, written.last.row),
                     std::max(current.last.col, written.last.col)}};
    if (merged != current) {
        // Written into the attribute when the part is written out, not at every write.
        dimensionArea_ = merged;
        dimensionStale_ = true;
    }
}

void SheetEditor::write(CellRef first, const Block& block) {
    const int rows = static_cast<int>(block.size());
    const int cols = rows == 0 ? 0 : static_cast<int>(block.front().size());
    for (const auto& r : block)
        if (static_cast<int>(r.size()) != cols)
            Fail("値の配列の行の長さがそろっていません");
    if (rows == 0 || cols == 0)
        return;
    if (first.row < 1 || first.col < 1 || first.row + rows - 1 > kMaxRow ||
        first.col + cols - 1 > kMaxColumn)
        Fail("値の配列がシートに収まりません");

    if (rows * cols > 1) {
        // A spreadsheet application refuses such a write as a whole; so do we, before anything
        // changes, rather than hide values under a merged area (for example a totals row after
        // the form's last child group).
        const RangeRef target{first, {first.row + rows - 1, first.col + cols - 1}};
        for (const RangeRef& m : merges_) {
            bool overlaps = m.first.row <= target.last.row && m.last.row >= target.first.row &&
                            m.first.col <= target.last.col && m.last.col >= target.first.col;
            bool inside = m.first.row >= target.first.row && m.last.row <= target.last.row &&
                          m.first.col >= target.first.col && m.last.col <= target.last.col;
            if (overlaps && !inside)
                Fail("結合セルの一部は変更できません: " + RangeAddress(m) + " (書き込み先 " +
                     RangeAddress(target) + ")");
        }
    }
    unshareFormulasIn(first, rows, cols);
    changed_ = true;

    bool created = false;
    RangeRef createdBox{{kMaxRow, kMaxColumn}, {1, 1}};
    for (int i = 0; i < rows; ++i)
        writeRow(first.row + i, first.col, block[static_cast<std::size_t>(i)], created, createdBox);
    if (created)
        extendDimension(createdBox);
}

void SheetEditor::writeCell(CellRef at, std::string_view value) {
    if (at.row < 1 || at.col < 1 || at.row > kMaxRow || at.col > kMaxColumn)
        Fail("値の配列がシートに収まりません");
    unshareFormulasIn(at, 1, 1);
    changed_ = true;
    const std::string text(value);
    bool created = false;
    RangeRef createdBox{{kMaxRow, kMaxColumn}, {1, 1}};
    writeRow(at.row, at.col, std::span<const std::string>(&text, 1), created, createdBox);
    if (created)
        extendDimension(createdBox);
}

// One row of a write: the values from column firstCol on (see write).
void SheetEditor::writeRow(int rowNumber, int firstCol, std::span<const std::string> values,
                           bool& created, RangeRef& createdBox) {
    const int cols = static_cast<int>(values.size());
    pugi::xml_node rowNode = row(rowNumber);
    NewRow* fresh = nullptr;
    if (!rowNode) {
        if (auto it = newRows_.find(rowNumber); it != newRows_.end())
            fresh = &it->second;
    }
    if (!rowNode && !fresh) {
        bool anyValue = std::any_of(values.begin(), values.end(),
                                    [](const std::string& v) { return !v.empty(); });
        if (!anyValue)
            return; // clearing cells that do not exist changes nothing
        if (compactNewRows_) {
            ensureSheetData();
            fresh = &newRows_[rowNumber];
        } else {
            rowNode = rowForWrite(rowNumber);
        }
    }
    int minCreated = kMaxColumn + 1;
    int maxCreated = 0;
    if (fresh) {
        auto [lo, hi] = writeNewCells(*fresh, firstCol, values);
        if (hi != 0) {
            minCreated = lo;
            maxCreated = hi;
        }
    }
    // Cells are in column order (see the constructor): one walk along the row suffices.
    pugi::xml_node trailing; // an element after the cells (extLst): new cells go before it
    pugi::xml_node cursor = fresh ? pugi::xml_node() : cellFrom(rowNode.first_child(), trailing);
    int cursorCol = cursor ? columnOf(cursor) : 0;
    for (int j = 0; j < (fresh ? 0 : cols); ++j) {
        const int col = firstCol + j;
        while (cursor && cursorCol < col) {
            cursor = cellFrom(cursor.next_sibling(), trailing);
            cursorCol = cursor ? columnOf(cursor) : 0;
        }
        if (cursor && cursorCol == col) {
            setCell(cursor, values[j]);
            continue;
        }
        if (values[j].empty())
            continue;
        pugi::xml_node before = cursor ? cursor : trailing;
        pugi::xml_node cell = before ? rowNode.insert_child_before(name("c").c_str(), before)
                                     : rowNode.append_child(name("c").c_str());
        cell.append_attribute("r").set_value(CellAddress({rowNumber, col}).c_str());
        if (std::string style = inheritedStyle(rowNode, col); !style.empty() && style != "0")
            cell.append_attribute("s").set_value(style.c_str());
        setCell(cell, values[j], true);
        minCreated = std::min(minCreated, col);
        maxCreated = std::max(maxCreated, col);
    }
    if (maxCreated == 0)
        return;
    created = true;
    createdBox.first = {std::min(createdBox.first.row, rowNumber),
                        std::min(createdBox.first.col, minCreated)};
    createdBox.last = {std::max(createdBox.last.row, rowNumber),
                       std::max(createdBox.last.col, maxCreated)};
    // "spans" is an optional hint of the row's columns; widen it, or drop one we cannot read.
    // (A row held compactly has none.)
    if (pugi::xml_attribute spans = fresh ? pugi::xml_attribute() : rowNode.attribute("spans")) {
        std::string_view text = spans.value();
        auto colon = text.find(':');
        int lo = 0;
        int hi = 0;
        bool ok = colon != std::string_view::npos && text.find(' ') == std::string_view::npos;
        if (ok) {
            auto a = std::from_chars(text.data(), text.data() + colon, lo);
            auto b = std::from_chars(text.data() + colon + 1, text.data() + text.size(), hi);
            ok = a.ec == std::errc() && b.ec == std::errc() && a.ptr == text.data() + colon &&
                 b.ptr == text.data() + text.size();
        }
        if (ok) {
            std::string widened = std::to_string(std::min(lo, minCreated)) + ":" +
                                  std::to_string(std::max(hi, maxCreated));
            spans.set_value(widened.c_str());
        } else {
            rowNode.remove_attribute(spans);
        }
    }
}

std::string SheetEditor::read(CellRef at, const std::vector<std::string>& sharedStrings) const {
    if (auto fresh = newRows_.find(at.row); fresh != newRows_.end()) {
        for (const NewCell& cell : fresh->second.cells)
            if (cell.col == at.col)
                return NewCellText(cell, newTexts_);
        return {};
    }
    pugi::xml_node rowNode = row(at.row);
    if (!rowNode)
        return {};
    for (pugi::xml_node cell : rowNode.children()) {
        if (LocalName(cell.name()) != "c")
            continue;
        auto ref = ParseCell(cell.attribute("r").value());
        if (!ref || ref->col != at.col)
            continue;
        std::string_view type = cell.attribute("t").value();
        if (type == "inlineStr") {
            pugi::xml_node is = ChildNamed(cell, "is");
            return is ? StringItemText(is) : std::string();
        }
        pugi::xml_node v = ChildNamed(cell, "v");
        std::string value = v ? v.text().get() : "";
        if (type == "s") {
            std::size_t index = 0;
            auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), index);
            if (ec != std::errc() || index >= sharedStrings.size())
                return {};
            return sharedStrings[index];
        }
        if (type == "b")
            return value.empty() ? std::string() : value == "1" ? "TRUE" : "FALSE";
        if (type == "str")
            return UnescapeCellText(value);
        return value;
    }
    return {};
}

std::string SheetEditor::serialize() const {
    if (dimensionStale_) {
        dimension_.attribute("ref").set_value(RangeAddress(*dimensionArea_).c_str());
        dimensionStale_ = false;
    }
    return newRows_.empty() ? SerializeXml(doc_, text_.size()) : serializeWithNewRows();
}

// The tree's writer for everything but the rows held compactly, which are written in their
// place in the sheet data: where rowForWrite would have put each of them, right before the row
// element of the next greater number (that of the rows in the tree, since those held compactly
// that lie between are written in order before it), or at the end.
std::string SheetEditor::serializeWithNewRows() const {
    const NewRowWriter writer(prefix_);
    std::size_t bytes = text_.size() + text_.size() / 16;
    struct Run {
        std::map<int, NewRow>::const_iterator begin, end;
    };
    std::map<int, Run> before; // by the number of the row in the tree they come before; 0: end
    for (auto it = newRows_.begin(); it != newRows_.end(); ++it) {
        bytes += writer.bytes(it->second, newTexts_);
        auto next = rows_.upper_bound(it->first);
        const int anchor = next == rows_.end() ? 0 : next->first;
        auto [run, added] = before.try_emplace(anchor, Run{it, it});
        run->second.end = std::next(it);
    }
    auto writeRun = [&](std::string& out, int anchor) {
        auto run = before.find(anchor);
        if (run == before.end())
            return;
        for (auto it = run->second.begin; it != run->second.end; ++it)
            writer.append(out, it->first, it->second, newTexts_);
    };
    std::string out;
    out.reserve(bytes);
    const pugi::xml_node root = doc_.document_element();
    for (pugi::xml_node top : doc_.children()) {
        if (top != root) {
            AppendNodeXml(out, top);
            continue;
        }
        AppendStartTag(out, root);
        for (pugi::xml_node part : root.children()) {
            if (part != sheetData_) {
                AppendNodeXml(out, part);
                continue;
            }
            AppendStartTag(out, part);
            for (pugi::xml_node row : part.children()) {
                // Every row element holds its number since loading.
                if (row.type() == pugi::node_element && LocalName(row.name()) == "row")
                    if (auto number = parseRowNumber(row.attribute("r").value()))
                        writeRun(out, *number);
                AppendNodeXml(out, row);
            }
            writeRun(out, 0);
            AppendEndTag(out, part);
        }
        AppendEndTag(out, root);
    }
    return out;
}

std::string SheetEditor::serializeForSave() {
    for (pugi::xml_node rowNode : sheetData_.children()) {
        if (LocalName(rowNode.name()) != "row")
            continue;
        for (pugi::xml_node cell : rowNode.children()) {
            if (LocalName(cell.name()) != "c" || !ChildNamed(cell, "f"))
                continue;
            if (pugi::xml_node v = ChildNamed(cell, "v"))
                cell.remove_child(v);
            // The type describes the stored result ("str", "b", "e"); without one it means nothing.
            cell.remove_attribute("t");
        }
    }
    return serialize();
}

} // namespace sheets::xlsx
