#!/usr/bin/python3
"""Fills the fixture workbooks through the embedded engine (sheets_write_tool) and reads the
results back with openpyxl, an independent reader: every cell of every written block, the cells
around them, and the parts the engine must not touch.

    /usr/bin/python3 check_with_openpyxl.py WRITE_TOOL DATA_DIR WORK_DIR [SAMPLE_WORKBOOK]
"""
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import zipfile

import openpyxl
from openpyxl.xml.functions import tostring

SHORT = "利用状況表（保育短時間）"
STANDARD = "保育標準時間"
NUMBER = re.compile(r"^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def expected(text):
    """What a cell holds after the text is assigned: numbers as numbers, other text as text."""
    if NUMBER.match(text.strip(" ")):
        number = float(text)
        return int(number) if number.is_integer() else number
    return text if text != "" else None


def fill(tool, src, out, commands):
    if os.path.exists(out):
        os.remove(out)
    run = subprocess.run([tool, src, out], input="\n".join(commands) + "\n", text=True,
                         capture_output=True)
    if run.returncode != 0:
        raise SystemExit(f"write tool failed on {src}: {run.stderr}")


def block_commands(address, block):
    return ["BLOCK\t" + address] + ["\t".join(row) for row in block]


def raw_entries(path):
    """name -> (method, crc, stored bytes) read straight from the file."""
    entries = {}
    with zipfile.ZipFile(path) as z, open(path, "rb") as f:
        for info in z.infolist():
            f.seek(info.header_offset)
            header = f.read(30)
            name_len, extra_len = struct.unpack("<HH", header[26:30])
            f.seek(info.header_offset + 30 + name_len + extra_len)
            entries[info.filename] = (info.compress_type, info.CRC, f.read(info.compress_size))
    return entries


def compare_untouched(original, filled, rewritten):
    before = raw_entries(original)
    after = raw_entries(filled)
    check(sorted(before) == sorted(after), f"{filled}: entries differ: {sorted(before)} {sorted(after)}")
    for name, entry in before.items():
        if name not in rewritten:
            check(after.get(name) == entry, f"{filled}: {name} changed")


def day_block(rng, rows):
    values = ["07", "7", "08", "30", "05", "45", "16", "18", "00", "ｱ", "", "", "", ""]
    return [[rng.choice(values) for _ in range(31)] for _ in range(rows)]


def check_block(ws, first_row, first_col, block, label):
    for i, row in enumerate(block):
        for j, text in enumerate(row):
            cell = ws.cell(row=first_row + i, column=first_col + j)
            check(cell.value == expected(text),
                  f"{label} {cell.coordinate}: {cell.value!r} != {expected(text)!r} (from {text!r})")


def form_case(tool, data, work):
    src = os.path.join(data, "form.xlsx")
    out = os.path.join(work, "form_filled.xlsx")
    rng = random.Random(20190401)
    short = day_block(rng, 40)
    standard = day_block(rng, 20)
    names = {6: "ﾔﾏﾀﾞ ﾀﾛｳ", 10: "ｽｽﾞｷ ﾊﾅｺ", 14: "ﾀﾅｶ ｲﾁﾛｳ"}
    commands = ["SHEET\t" + SHORT]
    for row, name in names.items():
        commands += [f"CELL\tC{row}\t{name}", f"CELL\tD{row}\t2019", f"CELL\tF{row}\t4",
                     f"CELL\tH{row}\t1"]
    commands += block_commands("X6:BB45", short)
    commands += ["SHEET\t" + STANDARD] + block_commands("X6:BB25", standard)
    fill(tool, src, out, commands)

    was = openpyxl.load_workbook(src)
    wb = openpyxl.load_workbook(out)
    ws = wb[SHORT]
    for row, name in names.items():
        check(ws[f"C{row}"].value == name, f"C{row}: {ws[f'C{row}'].value!r}")
        check((ws[f"D{row}"].value, ws[f"F{row}"].value, ws[f"H{row}"].value) == (2019, 4, 1),
              f"birth row {row}")
    check_block(ws, 6, 24, short, SHORT)
    check_block(wb[STANDARD], 6, 24, standard, STANDARD)
    # Around the blocks: untouched.
    for sheet in (SHORT, STANDARD):
        for row in range(1, 47):
            for col in list(range(1, 24)) + list(range(55, 58)):
                if sheet == SHORT and col in (3, 4, 6, 8) and row in names:
                    continue
                a = was[sheet].cell(row=row, column=col)
                b = wb[sheet].cell(row=row, column=col)
                check(a.value == b.value, f"{sheet} {a.coordinate}: {a.value!r} -> {b.value!r}")
        for col in range(24, 55):  # the header row above the block
            check(was[sheet].cell(row=5, column=col).value == wb[sheet].cell(row=5, column=col).value,
                  f"{sheet} header column {col}")
    check(ws["BC6"].value == "=COUNT(X6:BB6)", f"BC6 formula: {ws['BC6'].value!r}")
    check(ws["BE6"].value == "=SUM(BC6:BC9)", f"BE6 formula: {ws['BE6'].value!r}")
    check(ws["B2"].value == "リッチ", f"B2 shared rich text: {ws['B2'].value!r}")
    # Formatting kept: fonts, borders, fills, merged cells, widths, validation, conditional format.
    for ref in ("X6", "BB45", "AA7", "X5", "A1"):
        a, b = was[SHORT][ref], ws[ref]
        same = tuple(a._style) == tuple(b._style) and all(
            tostring(getattr(a, part).to_tree()) == tostring(getattr(b, part).to_tree())
            for part in ("font", "border", "fill", "alignment"))
        check(same, f"{ref} formatting changed")
    check(was[SHORT].merged_cells.ranges == ws.merged_cells.ranges, "merged cells changed")
    check(was[SHORT].column_dimensions["X"].width == ws.column_dimensions["X"].width, "width")
    check(len(ws.data_validations.dataValidation) == 1, "data validation lost")
    check(len(list(ws.conditional_formatting)) == 1, "conditional formatting lost")
    check(ws.freeze_panes == "X6", "frozen panes lost")
    check(sorted(d.name for d in wb.defined_names.definedName) ==
          sorted(d.name for d in was.defined_names.definedName), "defined names changed")
    check(wb.calculation.fullCalcOnLoad, "no full recalculation asked for")
    compare_untouched(src, out, {"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml",
                                 "xl/workbook.xml"})


def norefs_case(tool, data, work):
    src = os.path.join(data, "norefs.xlsx")
    out = os.path.join(work, "norefs_filled.xlsx")
    fill(tool, src, out, ["SHEET\tData", "BLOCK\tB4:D4", "42\tx\t", "CELL\tB2\t", "CELL\tB5\tb5"])
    ws = openpyxl.load_workbook(out)["Data"]
    want = {"A1": 11, "B1": 12, "C1": 13, "A2": 21, "B2": None, "C2": 23, "A3": 31, "B3": 32,
            "C3": 33, "A4": None, "B4": 42, "C4": "x", "D4": None, "A5": "a5", "B5": "b5",
            "C5": "c5"}
    for ref, value in want.items():
        check(ws[ref].value == value, f"norefs {ref}: {ws[ref].value!r} != {value!r}")


def formulas_case(tool, data, work):
    src = os.path.join(data, "formulas.xlsx")
    out = os.path.join(work, "formulas_filled.xlsx")
    fill(tool, src, out, ["SHEET\tCalc", "CELL\tB1\t0", "CELL\tC1\t15"])
    ws = openpyxl.load_workbook(out)["Calc"]
    check(ws["B1"].value == 0 and ws["C1"].value == 15, "formula cells not overwritten")
    for r in range(2, 6):
        check(ws[f"B{r}"].value == f"=A{r}*2", f"B{r}: {ws[f'B{r}'].value!r}")
    for r in range(1, 4):
        check(ws[f"D{r}"].value == f"=$A$1+A{r}", f"D{r}: {ws[f'D{r}'].value!r}")
    with zipfile.ZipFile(out) as z:
        check("xl/calcChain.xml" not in z.namelist(), "calcChain kept")


def prefixed_case(tool, data, work):
    src = os.path.join(data, "prefixed.xlsx")
    out = os.path.join(work, "prefixed_filled.xlsx")
    fill(tool, src, out, ["SHEET\tPrefixed", "BLOCK\tA2:C3", "ｱ\t5\t", "\t\t6"])
    ws = openpyxl.load_workbook(out)["Prefixed"]
    want = {"A1": 1, "A2": "ｱ", "B2": 5, "C2": None, "C3": 6}
    for ref, value in want.items():
        check(ws[ref].value == value, f"prefixed {ref}: {ws[ref].value!r} != {value!r}")


def macro_case(tool, data, work):
    src = os.path.join(data, "macro.xlsm")
    out = os.path.join(work, "macro_filled.xlsm")
    fill(tool, src, out, ["SHEET\t" + STANDARD, "CELL\tC6\tﾀﾅｶ"])
    wb = openpyxl.load_workbook(out, keep_vba=True)
    check(wb[STANDARD]["C6"].value == "ﾀﾅｶ", "xlsm value")
    compare_untouched(src, out, {"xl/worksheets/sheet2.xml", "xl/workbook.xml"})


def formats_case(tool, data, work):
    src = os.path.join(data, "formats.xlsx")
    out = os.path.join(work, "formats_filled.xlsx")
    fill(tool, src, out, ["SHEET\tFormats", "CELL\tB2\t07", "CELL\tD9\t5", "CELL\tF5\tx"])
    ws = openpyxl.load_workbook(out)["Formats"]
    check(ws["B2"].value == "07", f"text-format cell: {ws['B2'].value!r}")
    check(ws["D9"].value == 5 and ws["D9"].font.b, "new cell without its column's style")
    check(ws["F5"].value == "x" and ws["F5"].fill.fgColor.rgb == "00FFFF00",
          "new cell without its row's style")


def sample_case(tool, sample, work):
    """The demo's sample workbook has the default layout and fills like a city form."""
    was = openpyxl.load_workbook(sample)
    check(was.sheetnames == [SHORT, STANDARD], f"sample sheets: {was.sheetnames}")
    for name, per_child in ((SHORT, 4), (STANDARD, 2)):
        ws = was[name]
        check([ws.cell(row=5, column=c).value for c in range(24, 55)] == list(range(1, 32)),
              f"{name}: day numbers X5:BB5")
        check(str(ws["C4"].value).startswith("氏名") and ws["D4"].value == "生年月日" and
              ws["J4"].value == "支給認定番号" and ws["T4"].value == "減免" and
              ws["U4"].value == "障がい", f"{name}: column heads")
        merged = {str(r) for r in ws.merged_cells.ranges}
        for k in range(60):
            top = 6 + k * per_child
            check(f"C{top}:C{top + per_child - 1}" in merged, f"{name}: name cell of child {k + 1}")
    out = os.path.join(work, "sample_filled.xlsx")
    rng = random.Random(7)
    short = day_block(rng, 12)
    fill(tool, sample, out, ["SHEET\t" + SHORT, "CELL\tC6\tﾔﾏﾀﾞ ﾀﾛｳ", "CELL\tD6\t2019",
                             "CELL\tF6\t4", "CELL\tH6\t1"] + block_commands("X6:BB17", short))
    ws = openpyxl.load_workbook(out)[SHORT]
    check((ws["C6"].value, ws["D6"].value, ws["F6"].value, ws["H6"].value) ==
          ("ﾔﾏﾀﾞ ﾀﾛｳ", 2019, 4, 1), "sample name and birth")
    check_block(ws, 6, 24, short, "sample")
    check(ws["BC6"].value == was[SHORT]["BC6"].value and ws["BC246"].value == "=SUM(BC6:BC245)",
          "sample formulas")
    compare_untouched(sample, out, {"xl/worksheets/sheet1.xml", "xl/workbook.xml"})


def main():
    tool, data, work = sys.argv[1:4]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    for case in (form_case, norefs_case, formulas_case, prefixed_case, macro_case,
                 formats_case):
        case(tool, data, work)
    if len(sys.argv) > 4:
        sample_case(tool, sys.argv[4], work)
    for f in failures[:50]:
        print("FAIL:", f)
    if failures:
        print(f"{len(failures)} failures")
        return 1
    print("all filled workbooks read back as written")
    return 0


if __name__ == "__main__":
    sys.exit(main())
