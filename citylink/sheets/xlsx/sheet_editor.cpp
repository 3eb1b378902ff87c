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

bool needsPreserve(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return !text.empty() && (blank(text.front()) || blank(text.back()));
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
    for (const auto& [number, row] : rows_) {
        int first = 0, last = 0;
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
    auto next = rows_.upper_bound(number);
    pugi::xml_node row = next != rows_.end()
                             ? sheetData_.insert_child_before(name("row").c_str(), next->second)
                             : sheetData_.append_child(name("row").c_str());
    row.append_attribute("r").set_value(number);
    rows_.emplace(number, row);
    return row;
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
    bool textFormat = false;
    if (textFormats_) {
        unsigned style = cell.attribute("s").as_uint(0);
        textFormat = style < textFormats_->size() && (*textFormats_)[style];
    }
    auto number = textFormat ? std::nullopt : NumberLiteral(value);
    if (number) {
        add("v").append_child(pugi::node_pcdata).set_value(number->c_str());
        return;
    }
    // Text goes in as an inline string: the shared-strings part stays as it is (no indexes to
    // renumber, no counts to keep), and spreadsheet applications read inline strings and move
    // them into their shared table on their next save.
    std::string text = EscapeCellText(SanitizeUtf8(value));
    cell.append_attribute("t").set_value("inlineStr");
    pugi::xml_node t = add("is").append_child(name("t").c_str());
    if (needsPreserve(text))
        t.append_attribute("xml:space").set_value("preserve");
    t.append_child(pugi::node_pcdata).set_value(text.c_str());
}

// The style a cell typed into an empty place gets: its row's when the row has one of its own,
// otherwise its column's.
std::string SheetEditor::inheritedStyle(pugi::xml_node row, int col) const {
    if (row.attribute("customFormat").as_bool() && row.attribute("s"))
        return row.attribute("s").value();
    for (const auto& c : columnStyles_)
        if (col >= c.min && col <= c.max)
            return c.style;
    return {};
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
    pugi::xml_node dimension = dimension_;
    if (!dimension)
        return;
    auto current = ParseRange(dimension.attribute("ref").value());
    if (!current)
        return;
    RangeRef merged{{std::min(current->first.row, written.first.row),
                     std::min(current->first.col, written.first.col)},
                    {std::max(current->last.row, written.last.row),
                     std::max(current->last.col, written.last.col)}};
    if (merged != *current)
        dimension.attribute("ref").set_value(RangeAddress(merged).c_str());
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
    for (int i = 0; i < rows; ++i) {
        const auto& values = block[i];
        const int rowNumber = first.row + i;
        pugi::xml_node rowNode = row(rowNumber);
        if (!rowNode) {
            bool anyValue = std::any_of(values.begin(), values.end(),
                                        [](const std::string& v) { return !v.empty(); });
            if (!anyValue)
                continue; // clearing cells that do not exist changes nothing
            rowNode = rowForWrite(rowNumber);
        }
        // Cells are in column order (see the constructor): one walk along the row suffices.
        pugi::xml_node trailing; // an element after the cells (extLst): new cells go before it
        pugi::xml_node cursor = cellFrom(rowNode.first_child(), trailing);
        int cursorCol = cursor ? columnOf(cursor) : 0;
        int minCreated = kMaxColumn + 1;
        int maxCreated = 0;
        for (int j = 0; j < cols; ++j) {
            const int col = first.col + j;
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
            continue;
        created = true;
        createdBox.first = {std::min(createdBox.first.row, rowNumber),
                            std::min(createdBox.first.col, minCreated)};
        createdBox.last = {std::max(createdBox.last.row, rowNumber),
                           std::max(createdBox.last.col, maxCreated)};
        // "spans" is an optional hint of the row's columns; widen it, or drop one we cannot read.
        if (pugi::xml_attribute spans = rowNode.attribute("spans")) {
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
    if (created)
        extendDimension(createdBox);
}

std::string SheetEditor::read(CellRef at, const std::vector<std::string>& sharedStrings) const {
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
    return SerializeXml(doc_, text_.size());
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
    return SerializeXml(doc_, text_.size());
}

} // namespace sheets::xlsx
